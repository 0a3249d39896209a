// Inserting and removing the grid through the two buttons: sizes, where every pixel
// comes from, the lines' colour, alpha, pictures without a whole tile, and the tile map.
#include "app/ids.h"
#include "app/mainwindow.h"
#include "app/state.h"
#include "platform/colour.h"
#include "platform/imagelib.h"
#include "platform/ui.h"
#include "tests/support/apptest.h"
#include "tilemap/tilemap.h"

#include <QPoint>
#include <functional>
#include <optional>
#include <utility>
#include <vector>

namespace {

constexpr int32_t magenta = 0xFF00FF;

// Where a pixel of the result comes from: a pixel of the picture before, or nothing
// for a grid pixel.
using Origin = std::function<std::optional<QPoint>(int x, int y)>;

// Insertion with tile edge T: pixel (x, y) is grid when x mod (T + 1) = T or y mod (T + 1) = T.
Origin Inserted(int tile) {
  return [tile](int x, int y) -> std::optional<QPoint> {
    const int pitch = tile + 1;
    if (x % pitch == tile || y % pitch == tile)
      return std::nullopt;
    return QPoint(x / pitch * tile + x % pitch, y / pitch * tile + y % pitch);
  };
}

// Removal with tile edge T keeps the pixels with x mod (T + 1) < T and y mod (T + 1) < T.
Origin Removed(int tile) {
  return [tile](int x, int y) {
    return std::optional<QPoint>(QPoint(x / tile * (tile + 1) + x % tile, y / tile * (tile + 1) + y % tile));
  };
}

Origin Same() {
  return [](int x, int y) { return std::optional<QPoint>(QPoint(x, y)); };
}

// Checks that workImage is width x height at 32 bits, every alpha 255, grid pixels in
// lineColour and every other pixel the colour of its origin in before.
testing::AssertionResult WorkImageIs(int width, int height, const QImage &before, const Origin &origin,
                                     int32_t lineColour = magenta) {
  if (ImageWidth(workImage) != width || ImageHeight(workImage) != height || ImageDepth(workImage) != 32)
    return testing::AssertionFailure() << "workImage is " << ImageWidth(workImage) << "x" << ImageHeight(workImage)
                                       << " at " << ImageDepth(workImage) << " bits";
  for (int y = 0; y < height; ++y) {
    const uint8_t *row = ImageRowConst(workImage, y);
    for (int x = 0; x < width; ++x) {
      const uint8_t *pixel = row + 4 * x;
      const std::optional<QPoint> from = origin(x, y);
      const QRgb want = from ? before.pixel(*from) : qRgb(RedOf(lineColour), GreenOf(lineColour), BlueOf(lineColour));
      if (pixel[0] != qRed(want) || pixel[1] != qGreen(want) || pixel[2] != qBlue(want) || pixel[3] != 255)
        return testing::AssertionFailure() << "pixel (" << x << ", " << y << ") is " << int(pixel[0]) << ","
                                           << int(pixel[1]) << "," << int(pixel[2]) << "," << int(pixel[3]);
    }
  }
  return testing::AssertionSuccess();
}

// The state the tile-mode combo leaves behind when 8x8 is chosen.
void UseEightByEight() {
  tileSize = 8;
  InitTileMap();
  remapped = 0;
  UpdateControls();
}

// A picture that already carries a grid, in lines of its own colours.
void OpenWithGrid(const QImage &picture, int tile) {
  OpenPicture(picture);
  if (tile == 8)
    UseEightByEight();
  gridOn = 1;
  InitTileMap();
  remapped = 0;
  UpdateControls();
}

using GridButtons = AppTest;

} // namespace

TEST_F(GridButtons, AddGridPutsALineAfterEveryWholeTile) {
  struct Case {
    const char *name;
    int width, height, tile;
    int resultWidth, resultHeight;
  };
  const std::vector<Case> cases = {
      {"one tile", 16, 16, 16, 17, 17},
      {"partial tiles dropped", 20, 12, 8, 18, 9},
      {"many tiles", 50, 35, 16, 51, 34},
      {"many small tiles", 33, 17, 8, 36, 18},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    const QImage before = PatternPicture(c.width, c.height);
    OpenPicture(before);
    if (c.tile == 8)
      UseEightByEight();
    Feed(Clicked(AddGridButton));
    EXPECT_TRUE(WorkImageIs(c.resultWidth, c.resultHeight, before, Inserted(c.tile)));
    EXPECT_EQ(gridOn, 1);
    EXPECT_EQ(CellPitch(), c.tile + 1);
    EXPECT_FALSE(ImageExists(gridImage)); // scratch is freed
  }
}

TEST_F(GridButtons, TheOneTilePictureGetsItsLineRightAndBelow) {
  const QImage before = PatternPicture(16, 16);
  OpenPicture(before);
  Feed(Clicked(AddGridButton));
  const QImage after = WorkPicture();
  ASSERT_EQ(after.size(), QSize(17, 17));
  for (const QPoint p : {QPoint(16, 0), QPoint(16, 15), QPoint(0, 16), QPoint(15, 16), QPoint(16, 16)})
    EXPECT_EQ(after.pixel(p), qRgb(255, 0, 255)) << p.x() << "," << p.y();
  for (const QPoint p : {QPoint(0, 0), QPoint(15, 0), QPoint(0, 15), QPoint(15, 15)})
    EXPECT_EQ(after.pixel(p), before.pixel(p)) << p.x() << "," << p.y();
}

// Removal drops the column and row at offset T of every cell whatever they hold: here
// they hold the picture's own colours, not the grid colour.
TEST_F(GridButtons, RemoveGridDropsTheLinesWhateverTheirColour) {
  struct Case {
    const char *name;
    int width, height, tile;
    int resultWidth, resultHeight;
  };
  const std::vector<Case> cases = {
      {"16x16 tiles", 34, 17, 16, 32, 16},
      {"8x8 tiles", 27, 18, 8, 24, 16},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    const QImage before = PatternPicture(c.width, c.height);
    OpenWithGrid(before, c.tile);
    Feed(Clicked(RemoveGridButton));
    EXPECT_TRUE(WorkImageIs(c.resultWidth, c.resultHeight, before, Removed(c.tile)));
    EXPECT_EQ(gridOn, 0);
    EXPECT_EQ(CellPitch(), c.tile);
  }
}

TEST_F(GridButtons, AddThenRemoveGivesThePictureBackCroppedAt32Bits) {
  for (int tile : {8, 16}) {
    SCOPED_TRACE(tile);
    const QImage before = PatternPicture(37, 21);
    OpenPicture(before);
    if (tile == 8)
      UseEightByEight();
    Feed(Clicked(AddGridButton));
    Feed(Clicked(RemoveGridButton));
    EXPECT_TRUE(WorkImageIs(37 / tile * tile, 21 / tile * tile, before, Same()));
  }
}

// Colours survive even under alpha 0 (nothing is premultiplied), and alpha never does.
TEST_F(GridButtons, TheResultIsFullyOpaqueWhateverTheAlphaBefore) {
  QImage before(34, 17, QImage::Format_RGBA8888);
  for (int y = 0; y < before.height(); ++y)
    for (int x = 0; x < before.width(); ++x)
      before.setPixel(x, y, qRgba(x * 7, y * 11, 200 - x, (x + y) % 3 == 0 ? 0 : 77));
  OpenPicture(before);
  Feed(Clicked(AddGridButton));
  EXPECT_TRUE(WorkImageIs(34, 17, before, Inserted(16)));

  OpenWithGrid(before, 16);
  Feed(Clicked(RemoveGridButton));
  EXPECT_TRUE(WorkImageIs(32, 16, before, Removed(16)));
}

// Without a whole tile the picture stays as it is, but the buttons change places.
TEST_F(GridButtons, APictureWithoutAWholeTileOnlyFlipsTheGridState) {
  struct Case {
    const char *name;
    int width, height, tile;
  };
  const std::vector<Case> cases = {{"5 wide in 8x8 mode", 5, 20, 8}, {"12 high in 16x16 mode", 40, 12, 16}};
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    const QImage before = PatternPicture(c.width, c.height);
    OpenPicture(before);
    if (c.tile == 8)
      UseEightByEight();
    Feed(Clicked(AddGridButton));
    EXPECT_EQ(WorkPicture(), before);
    EXPECT_EQ(ImageDepth(workImage), 24);
    EXPECT_EQ(gridOn, 1);
    EXPECT_TRUE(ControlEnabled(RemoveGridButton));
    EXPECT_FALSE(ControlEnabled(AddGridButton));

    Feed(Clicked(RemoveGridButton));
    EXPECT_EQ(WorkPicture(), before);
    EXPECT_EQ(gridOn, 0);
    EXPECT_TRUE(ControlEnabled(AddGridButton));
  }
}

// 3641 tiles of 8 across become 32769 pixels with the grid, beyond the image library's
// limit: nothing may change, not even the grid state.
TEST_F(GridButtons, AResultTooLargeToMakeChangesNothing) {
  const QImage before = PatternPicture(3641 * 8, 8);
  OpenPicture(before);
  UseEightByEight();
  Feed(Clicked(AddGridButton));
  EXPECT_EQ(ImageWidth(workImage), 3641 * 8);
  EXPECT_EQ(ImageDepth(workImage), 24);
  EXPECT_EQ(WorkPicture(), before);
  EXPECT_EQ(gridOn, 0);
  EXPECT_TRUE(ControlEnabled(AddGridButton));
  EXPECT_FALSE(ControlEnabled(RemoveGridButton));
}

// The tiles keep their numbers: the grid moves them, it does not renumber them.
TEST_F(GridButtons, TheTileMapKeepsItsNumbers) {
  OpenPicture(PatternPicture(48, 32));
  std::swap(TileCell(0, 0), TileCell(2, 1)); // as a swap would leave it
  remapped = 1;
  const std::vector<int32_t> map = tileMap;
  Feed(Clicked(AddGridButton));
  EXPECT_EQ(tileMap, map);
  EXPECT_EQ(tileCols, 3);
  EXPECT_EQ(tileRows, 2);
  EXPECT_EQ(remapped, 1);
  Feed(Clicked(RemoveGridButton));
  EXPECT_EQ(tileMap, map);
  EXPECT_EQ(remapped, 1);
}

// With the grid on a tile's square includes its line, so a swapped tile takes its line
// along; lines of their own colours show it.
TEST_F(GridButtons, TilesSwappedWithTheGridOnMoveWithTheirLines) {
  const QImage before = PatternPicture(34, 17);
  OpenWithGrid(before, 16);
  Feed(GadgetAt(ViewCanvas, GadgetLeftPressed, 3, 3));
  Feed(GadgetAt(ViewCanvas, GadgetLeftReleased, 17 + 3, 3));
  const QImage after = WorkPicture();
  ASSERT_EQ(after.size(), QSize(34, 17));
  for (int y = 0; y < 17; ++y)
    for (int x = 0; x < 17; ++x) {
      ASSERT_EQ(after.pixel(x, y), before.pixel(x + 17, y)) << x << "," << y;
      ASSERT_EQ(after.pixel(x + 17, y), before.pixel(x, y)) << x << "," << y;
    }
}
