// The tile map: one number per whole tile in reading order, a spare column and row for
// the partial edge tiles, bounds taken when the map is built.
#include "app/state.h"
#include "platform/imagelib.h"
#include "tests/support/apptest.h"
#include "tilemap/tilemap.h"

#include <algorithm>
#include <vector>

using TileMapModel = AppTest;

namespace {

struct NumberedCell {
  int col, row;
  int32_t number;
};

struct MapCase {
  const char *name;
  int width, height, tileSize, gridOn;
  int tileCols, tileRows;
  std::vector<NumberedCell> cells; // a few whole-tile cells and what they hold
};

} // namespace

TEST_F(TileMapModel, NumbersWholeTilesInReadingOrderWithZeroSpares) {
  const std::vector<MapCase> cases = {
      {"32x32 at 16", 32, 32, 16, 0, 2, 2, {{0, 0, 0}, {1, 0, 1}, {0, 1, 2}, {1, 1, 3}}},
      {"40x24 at 16", 40, 24, 16, 0, 2, 1, {{0, 0, 0}, {1, 0, 1}}},
      {"40x24 at 8", 40, 24, 8, 0, 5, 3, {{0, 0, 0}, {4, 0, 4}, {0, 1, 5}, {3, 1, 8}, {4, 2, 14}}},
      {"51x35 at 16 with grid", 51, 35, 16, 1, 3, 2, {{2, 0, 2}, {0, 1, 3}, {2, 1, 5}}},
      {"26x17 at 8 with grid", 26, 17, 8, 1, 2, 1, {{1, 0, 1}}},
      {"7x30: narrower than a tile", 7, 30, 8, 0, 0, 3, {}},
  };
  for (const MapCase &c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_TRUE(CreateImage(workImage, c.width, c.height, c.gridOn ? 32 : 24, 0));
    tileSize = c.tileSize;
    gridOn = c.gridOn;
    remapped = 0;
    InitTileMap();
    EXPECT_EQ(tileCols, c.tileCols);
    EXPECT_EQ(tileRows, c.tileRows);
    EXPECT_EQ(tileMap.size(), size_t((c.tileCols + 1) * (c.tileRows + 1)));
    EXPECT_EQ(remapped, 1);
    for (const NumberedCell &cell : c.cells)
      EXPECT_EQ(TileCell(cell.col, cell.row), cell.number) << cell.col << "," << cell.row;
    for (int row = 0; row <= c.tileRows; ++row)
      EXPECT_EQ(TileCell(c.tileCols, row), 0) << "spare column, row " << row;
    for (int col = 0; col <= c.tileCols; ++col)
      EXPECT_EQ(TileCell(col, c.tileRows), 0) << "spare row, column " << col;
  }
}

TEST_F(TileMapModel, CellsLieColumnByColumn) {
  ASSERT_TRUE(CreateImage(workImage, 40, 24, 24, 0));
  tileSize = 8;
  InitTileMap();
  // 5 x 3 whole tiles, so each column of the table holds 4 cells.
  EXPECT_EQ(&TileCell(0, 1), &tileMap[1]);
  EXPECT_EQ(&TileCell(1, 0), &tileMap[4]);
  EXPECT_EQ(&TileCell(4, 2), &tileMap[18]);
  EXPECT_EQ(tileMap[18], 14);
}

TEST_F(TileMapModel, MoreThan32768TilesAreNumberedWithoutRepetition) {
  // 2048 x 2048 at 8 x 8: 256 x 256 = 65,536 tiles, twice what 16-bit numbers can tell apart.
  ASSERT_TRUE(CreateImage(workImage, 2048, 2049, 24, 0));
  tileSize = 8;
  InitTileMap();
  ASSERT_EQ(tileCols, 256);
  ASSERT_EQ(tileRows, 256);
  std::vector<int> seen(65536, 0);
  for (int row = 0; row < tileRows; ++row)
    for (int col = 0; col < tileCols; ++col) {
      const int32_t number = TileCell(col, row);
      ASSERT_EQ(number, row * 256 + col) << col << "," << row;
      ++seen[size_t(number)];
    }
  EXPECT_EQ(std::count(seen.begin(), seen.end(), 1), 65536);
  EXPECT_EQ(TileCell(255, 255), 65535);
  EXPECT_EQ(TileCell(256, 100), 0);
  EXPECT_EQ(TileCell(100, 256), 0);
}

TEST_F(TileMapModel, WithoutPictureTheBoundsAreZero) {
  EXPECT_EQ(tileCols, 1); // the map of the start: 2 x 2 cells of 0
  EXPECT_EQ(tileRows, 1);
  EXPECT_EQ(tileMap, std::vector<int32_t>(4, 0));
  remapped = 0;
  InitTileMap();
  EXPECT_EQ(tileCols, 0);
  EXPECT_EQ(tileRows, 0);
  EXPECT_EQ(tileMap, std::vector<int32_t>(1, 0));
  EXPECT_EQ(remapped, 1);
}
