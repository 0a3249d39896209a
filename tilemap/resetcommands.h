// Putting every tile back in the order of its number, and the commands that do it.
#pragma once

// Draws the whole tiles in ascending order of their numbers at the whole-tile positions
// in reading order; sets remapped to 0, also without a picture.
void RestoreTiles();

// The tile-mode combo box changed: offers to restore first, then rebuilds the map.
void TileModeChanged();
