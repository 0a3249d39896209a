// The tile map: for every tile position of workImage, the number of the tile that now
// stands there. A tile's number is its position in reading order (rows top to bottom,
// columns left to right) when the map was numbered.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

extern std::vector<int32_t> tileMap; // (tileCols + 1) x (tileRows + 1) cells, column by column
extern int tileCols;                 // whole tile columns of the picture when the map was built
extern int tileRows;                 // whole tile rows of the picture when the map was built

// Cell (col, row) for 0 <= col <= tileCols, 0 <= row <= tileRows. Column tileCols and
// row tileRows are the spare cells of the partial edge tiles.
inline int32_t &TileCell(int col, int row) { return tileMap[size_t(col) * size_t(tileRows + 1) + size_t(row)]; }

// The map before any picture: bounds 1 and 1, four cells of 0.
void CreateStartTileMap();

// Builds a fresh map for workImage at the current cell pitch, numbering every whole
// tile in reading order, and sets remapped. Without a picture the bounds are 0 and 0.
void InitTileMap();
