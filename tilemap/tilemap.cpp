#include "tilemap/tilemap.h"

#include "app/state.h"
#include "platform/imagelib.h"

std::vector<int32_t> tileMap;
int tileCols;
int tileRows;

static void SizeTileMap(int cols, int rows) {
  tileCols = cols;
  tileRows = rows;
  tileMap.assign(size_t(cols + 1) * size_t(rows + 1), 0);
}

void CreateStartTileMap() { SizeTileMap(1, 1); }

void InitTileMap() {
  const int pitch = CellPitch();
  SizeTileMap(ImageWidth(workImage) / pitch, ImageHeight(workImage) / pitch);
  int32_t number = 0;
  for (int row = 0; row < tileRows; ++row)
    for (int col = 0; col < tileCols; ++col)
      TileCell(col, row) = number++;
  remapped = 1;
}
