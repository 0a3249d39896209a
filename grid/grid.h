// Inserting and removing the one-pixel grid after every tile.
#pragma once

// Each replaces workImage with a 32-bit, fully opaque picture whose whole tiles stand
// one pixel further apart (AddGrid) or closer together (RemoveGrid); the tile map keeps
// its numbers. A picture without a whole tile is left as it is. False only when the new
// picture could not be made (memory, or a side beyond the image library's limit):
// workImage is then unchanged and the grid state must not change either.
bool AddGrid8();
bool AddGrid16();
bool RemoveGrid8();
bool RemoveGrid16();
