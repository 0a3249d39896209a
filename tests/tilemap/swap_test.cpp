// Exchanging two tiles by pressing the left button on one and releasing it on another.
#include "app/ids.h"
#include "app/state.h"
#include "platform/imagelib.h"
#include "platform/ui.h"
#include "platform/ui_widgets.h"
#include "tests/support/apptest.h"
#include "tilemap/tilemap.h"

#include <QImage>
#include <QPixmap>
#include <utility>
#include <vector>

using TileSwap = AppTest;

namespace {

using Tile = std::pair<int, int>; // column, row

// picture with the pitch x pitch squares of tiles a and b exchanged, pixel by pixel;
// the part of a square beyond the picture's edge takes part in nothing.
QImage Exchanged(const QImage &picture, int pitch, Tile a, Tile b) {
  QImage result = picture.copy();
  for (int y = 0; y < pitch; ++y)
    for (int x = 0; x < pitch; ++x) {
      const QPoint inA(a.first * pitch + x, a.second * pitch + y), inB(b.first * pitch + x, b.second * pitch + y);
      result.setPixel(inA, picture.pixel(inB));
      result.setPixel(inB, picture.pixel(inA));
    }
  return result;
}

void Press(int x, int y) { Feed(GadgetAt(ViewCanvas, GadgetLeftPressed, x, y)); }
void Release(int x, int y) { Feed(GadgetAt(ViewCanvas, GadgetLeftReleased, x, y)); }
void Drag(int fromX, int fromY, int toX, int toY) {
  Press(fromX, fromY);
  Release(toX, toY);
}

void ExpectNoDragPending() {
  EXPECT_EQ(fromCol, -1);
  EXPECT_EQ(fromRow, -1);
  EXPECT_EQ(toCol, -1);
  EXPECT_EQ(toRow, -1);
}

QImage CanvasPixels() { return ControlWidget(ViewCanvas)->grab().toImage().convertToFormat(QImage::Format_RGB888); }

// The view at zoom of picture, built pixel by pixel.
QImage Enlarged(const QImage &picture, int factor) {
  QImage view(picture.width() * factor, picture.height() * factor, QImage::Format_RGB888);
  for (int y = 0; y < view.height(); ++y)
    for (int x = 0; x < view.width(); ++x)
      view.setPixel(x, y, picture.pixel(x / factor, y / factor));
  return view;
}

void ZoomTo(int factor) {
  while (zoom < factor)
    Feed(WheelTurned(120));
}

} // namespace

TEST_F(TileSwap, PositionsAreDividedByPitchTimesZoomAtEachEvent) {
  struct Case {
    int tileSize, gridOn, factor, x, y, col, row;
  };
  const std::vector<Case> cases = {
      {16, 0, 3, 95, 48, 1, 1}, {16, 0, 3, 96, 47, 2, 0}, {16, 1, 2, 33, 34, 0, 1},
      {8, 1, 10, 89, 90, 0, 1}, {8, 0, 1, 7, 8, 0, 1},    {16, 0, 10, 1599, 160, 9, 1},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(testing::Message() << c.x << "," << c.y << " pitch " << c.tileSize + c.gridOn << " zoom " << c.factor);
    tileSize = c.tileSize;
    gridOn = c.gridOn;
    zoom = c.factor;
    Press(c.x, c.y); // recorded with or without a picture
    EXPECT_EQ(fromCol, c.col);
    EXPECT_EQ(fromRow, c.row);
    Release(c.x, c.y);
    ExpectNoDragPending();
  }
}

TEST_F(TileSwap, DragAtZoom3ExchangesPicturePixelsAndMapCells) {
  const QImage picture = PatternPicture(48, 32); // 3 x 2 tiles
  OpenPicture(picture);
  ZoomTo(3);
  ASSERT_FALSE(ControlEnabled(ResetMapButton));
  Drag(95, 48, 96, 47); // tile (1, 1) onto tile (2, 0)
  const QImage expected = Exchanged(picture, 16, {1, 1}, {2, 0});
  EXPECT_EQ(WorkPicture(), expected);
  EXPECT_EQ(ImageDepth(workImage), 24);
  EXPECT_EQ(tileMap, (std::vector<int32_t>{0, 3, 0, 1, 2, 0, 4, 5, 0, 0, 0, 0})); // columns of 3 cells
  EXPECT_EQ(remapped, 1);
  EXPECT_TRUE(ControlEnabled(ResetMapButton));
  ExpectNoDragPending();
  EXPECT_EQ(CanvasPixels(), Enlarged(expected, 3)); // the view shows the exchange
}

TEST_F(TileSwap, PressAndReleaseOnOneTileOrWithoutPressChangeNothing) {
  struct Case {
    const char *name;
    std::vector<Event> events;
  };
  const std::vector<Case> cases = {
      {"one tile", {GadgetAt(ViewCanvas, GadgetLeftPressed, 17, 1), GadgetAt(ViewCanvas, GadgetLeftReleased, 31, 15)}},
      {"release alone", {GadgetAt(ViewCanvas, GadgetLeftReleased, 40, 20)}},
      {"second release of one press",
       {GadgetAt(ViewCanvas, GadgetLeftPressed, 1, 1), GadgetAt(ViewCanvas, GadgetLeftReleased, 2, 2),
        GadgetAt(ViewCanvas, GadgetLeftReleased, 40, 20)}},
  };
  const QImage picture = PatternPicture(48, 32);
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    OpenPicture(picture);
    const std::vector<int32_t> map = tileMap;
    for (const Event &event : c.events)
      Feed(event);
    EXPECT_EQ(WorkPicture(), picture);
    EXPECT_EQ(tileMap, map);
    EXPECT_EQ(remapped, 0);
    EXPECT_FALSE(ControlEnabled(ResetMapButton));
    ExpectNoDragPending();
  }
}

TEST_F(TileSwap, SwappingTwiceGivesBackPictureAndMap) {
  const QImage picture = PatternPicture(48, 32);
  OpenPicture(picture);
  const std::vector<int32_t> map = tileMap;
  Drag(5, 5, 40, 20);
  ASSERT_NE(WorkPicture(), picture);
  Drag(40, 20, 5, 5);
  EXPECT_EQ(WorkPicture(), picture);
  EXPECT_EQ(tileMap, map);
  EXPECT_EQ(remapped, 1); // the map was changed, even if it is back in order
}

TEST_F(TileSwap, WithGridTheSquaresAre17AndCarryTheirGridLines) {
  // 3 x 2 tiles of 16 with their grid lines to the right and below, as the grid leaves them.
  QImage picture = PatternPicture(51, 34).convertToFormat(QImage::Format_RGBA8888);
  for (int y = 0; y < picture.height(); ++y)
    for (int x = 0; x < picture.width(); ++x)
      if (x % 17 == 16 || y % 17 == 16)
        picture.setPixel(x, y, qRgb(255, 0, 255));
  OpenPicture(picture);
  gridOn = 1;
  ZoomTo(2);
  Drag(10, 10, 2 * 50, 2 * 33); // tile (0, 0) onto tile (2, 1), both grid lines included
  const QImage expected = Exchanged(picture.convertToFormat(QImage::Format_RGB888), 17, {0, 0}, {2, 1});
  EXPECT_EQ(WorkPicture(), expected);
  EXPECT_EQ(ImageDepth(workImage), 32);
  for (int y = 0; y < 34; ++y)
    for (int x = 0; x < 51; ++x)
      ASSERT_EQ(ImageRowConst(workImage, y)[x * 4 + 3], 255) << x << "," << y;
  EXPECT_EQ(TileCell(0, 0), 5);
  EXPECT_EQ(TileCell(2, 1), 0);
}

TEST_F(TileSwap, EdgePartialTilesExchangeNothing) {
  // 40 x 24 at 16: two whole tiles, a partial column at x 32..39 and a partial row at y 16..23.
  const QImage picture = PatternPicture(40, 24);
  struct Case {
    const char *name;
    int fromX, fromY, toX, toY;
  };
  const std::vector<Case> cases = {
      {"whole onto partial column", 5, 5, 35, 5},  {"whole onto partial row", 20, 5, 20, 20},
      {"partial column onto whole", 35, 10, 5, 5}, {"partial row onto whole", 3, 18, 20, 3},
      {"partial onto partial", 35, 20, 5, 20},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    OpenPicture(picture);
    const std::vector<int32_t> map = tileMap;
    Drag(c.fromX, c.fromY, c.toX, c.toY);
    EXPECT_EQ(WorkPicture(), picture);
    EXPECT_EQ(tileMap, map);
    EXPECT_EQ(remapped, 0);
    EXPECT_FALSE(ControlEnabled(ResetMapButton));
    ExpectNoDragPending();
  }
  OpenPicture(picture);
  Drag(5, 5, 20, 5); // the two whole tiles of the same picture do exchange
  EXPECT_EQ(WorkPicture(), Exchanged(picture, 16, {0, 0}, {1, 0}));
}

TEST_F(TileSwap, ZoomChangedDuringTheDragAppliesToTheRelease) {
  const QImage picture = PatternPicture(48, 32);
  OpenPicture(picture);
  Press(20, 5); // column 1 at zoom 1
  Feed(WheelTurned(120));
  Release(20, 5); // column 0 at zoom 2
  EXPECT_EQ(WorkPicture(), Exchanged(picture, 16, {1, 0}, {0, 0}));
}

TEST_F(TileSwap, DragWithoutPictureChangesNothing) {
  Drag(3, 3, 200, 100);
  EXPECT_FALSE(ImageExists(workImage));
  EXPECT_EQ(remapped, 0);
  EXPECT_EQ(tileMap, std::vector<int32_t>(4, 0));
  EXPECT_FALSE(ControlEnabled(ResetMapButton));
  ExpectNoDragPending();
}
