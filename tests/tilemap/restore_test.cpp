// Restoring: the k-th smallest tile number is drawn at the k-th whole-tile position in
// reading order, then the map starts afresh; the tile-mode change offers it first.
#include "app/ids.h"
#include "app/state.h"
#include "platform/imagelib.h"
#include "platform/ui.h"
#include "tests/support/apptest.h"
#include "tilemap/mapfile.h"
#include "tilemap/resetcommands.h"
#include "tilemap/tilemap.h"

#include <QFile>
#include <cstdint>
#include <numeric>
#include <vector>

using Restoring = AppTest;

namespace {

// picture with the square of whole tile sources[k] (reading order) put at the k-th
// whole-tile position; everything else as it was. Every channel moves with the square.
QImage Arranged(const QImage &picture, int pitch, const std::vector<int> &sources) {
  QImage result = picture.copy();
  const int cols = picture.width() / pitch;
  for (size_t k = 0; k < sources.size(); ++k) {
    const int toX = int(k) % cols * pitch, toY = int(k) / cols * pitch;
    const int fromX = sources[k] % cols * pitch, fromY = sources[k] / cols * pitch;
    for (int y = 0; y < pitch; ++y)
      for (int x = 0; x < pitch; ++x)
        result.setPixel(toX + x, toY + y, picture.pixel(fromX + x, fromY + y));
  }
  return result;
}

void SetMap(const std::vector<int32_t> &numbers) {
  ASSERT_EQ(numbers.size(), size_t(tileCols) * size_t(tileRows));
  for (int k = 0; k < int(numbers.size()); ++k)
    TileCell(k % tileCols, k / tileCols) = numbers[size_t(k)];
}

std::vector<int32_t> Fresh(int count) {
  std::vector<int32_t> numbers(static_cast<size_t>(count));
  std::iota(numbers.begin(), numbers.end(), 0);
  return numbers;
}

struct ResetCommand {
  const char *name;
  Event event;
};

const std::vector<ResetCommand> resetCommands = {
    {"Reset Map button", Clicked(ResetMapButton)},
    {"Reset Map menu item", MenuChosen(MenuResetMap)},
};

void ChooseTileMode(int item) {
  SetComboSelection(TileModeCombo, item);
  Feed(GadgetAt(TileModeCombo, GadgetSelectionChanged));
}

} // namespace

TEST_F(Restoring, PutsTilesInTheOrderOfTheirNumbersAndStartsAFreshMap) {
  struct Case {
    const char *name;
    std::vector<int32_t> numbers; // the map, in reading order
    std::vector<int> sources;     // which tile lands at each position afterwards
  };
  const std::vector<Case> cases = {
      {"fresh map", {0, 1, 2, 3}, {0, 1, 2, 3}},
      {"corners exchanged", {3, 1, 2, 0}, {3, 1, 2, 0}},
      {"10, 30, 20, 40", {10, 30, 20, 40}, {0, 2, 1, 3}},
      {"equal numbers keep reading order", {5, 5, 0, 1}, {2, 3, 0, 1}},
      {"negative numbers first", {0, -1, 5, -32768}, {3, 1, 0, 2}},
      {"32-bit numbers", {INT32_MAX, INT32_MIN, 0, 70000}, {1, 2, 3, 0}},
  };
  const QImage picture = PatternPicture(32, 32); // 2 x 2 tiles of 16
  for (const ResetCommand &command : resetCommands)
    for (const Case &c : cases) {
      SCOPED_TRACE(std::string(command.name) + ", " + c.name);
      OpenPicture(picture);
      SetMap(c.numbers);
      remapped = 1;
      Feed(command.event);
      EXPECT_EQ(WorkPicture(), Arranged(picture, 16, c.sources));
      EXPECT_EQ(MapNumbers(), Fresh(4));
      EXPECT_EQ(remapped, 0);
      EXPECT_FALSE(ControlEnabled(ResetMapButton));
      EXPECT_TRUE(ControlHasFocus(ViewCanvas));
    }
}

TEST_F(Restoring, ReversesEveryTileOfAnEightByEightSheet) {
  const QImage picture = PatternPicture(24, 16); // 3 x 2 tiles of 8
  OpenPicture(picture);
  tileSize = 8;
  InitTileMap();
  SetMap({5, 4, 3, 2, 1, 0});
  Feed(MenuChosen(MenuResetMap));
  EXPECT_EQ(WorkPicture(), Arranged(picture, 8, {5, 4, 3, 2, 1, 0}));
  EXPECT_EQ(MapNumbers(), Fresh(6));
}

TEST_F(Restoring, EqualNumbersKeepReadingOrderOnALargeSheet) {
  // 64 tiles numbered 2, 1, 0, 2, 1, 0, ...: too many for a sort that is stable by chance.
  const QImage picture = PatternPicture(64, 64);
  OpenPicture(picture);
  tileSize = 8;
  InitTileMap();
  std::vector<int32_t> numbers;
  std::vector<int> sources[3];
  for (int k = 0; k < 64; ++k) {
    numbers.push_back(2 - k % 3);
    sources[2 - k % 3].push_back(k);
  }
  SetMap(numbers);
  Feed(MenuChosen(MenuResetMap));
  std::vector<int> order = sources[0];
  order.insert(order.end(), sources[1].begin(), sources[1].end());
  order.insert(order.end(), sources[2].begin(), sources[2].end());
  EXPECT_EQ(WorkPicture(), Arranged(picture, 8, order));
}

TEST_F(Restoring, LeavesPartialEdgeTilesAndSpareCellsAlone) {
  // 40 x 24 at 16: two whole tiles; x 32..39 and y 16..23 are partial tiles.
  const QImage picture = PatternPicture(40, 24);
  OpenPicture(picture);
  SetMap({1, 0});
  // Spare cells that a restore would sort first if it read them.
  TileCell(2, 0) = -9;
  TileCell(0, 1) = -8;
  TileCell(2, 1) = -7;
  Feed(Clicked(ResetMapButton));
  EXPECT_EQ(WorkPicture(), Arranged(picture, 16, {1, 0}));
}

TEST_F(Restoring, MovesGridLinesWithTheirTilesAndKeepsAlphaInPlace) {
  // 34 x 34 with a grid at 16 (pitch 17): 2 x 2 squares; alpha differs in every pixel.
  QImage picture(34, 34, QImage::Format_RGBA8888);
  QImage colours(34, 34, QImage::Format_RGB888);
  for (int y = 0; y < 34; ++y)
    for (int x = 0; x < 34; ++x) {
      picture.setPixel(x, y, qRgba(x * 7, y * 7, (x ^ y) * 3, 255 - x - y));
      colours.setPixel(x, y, qRgb(x * 7, y * 7, (x ^ y) * 3));
    }
  OpenPicture(picture);
  gridOn = 1;
  InitTileMap();
  SetMap({3, 1, 2, 0});
  Feed(MenuChosen(MenuResetMap));
  EXPECT_EQ(WorkPicture(), Arranged(colours, 17, {3, 1, 2, 0}));
  for (int y = 0; y < 34; ++y)
    for (int x = 0; x < 34; ++x)
      ASSERT_EQ(ImageRowConst(workImage, y)[x * 4 + 3], 255 - x - y) << x << "," << y;
}

TEST_F(Restoring, BringsSwappedTilesHome) {
  const QImage picture = PatternPicture(32, 32);
  OpenPicture(picture);
  Feed(GadgetAt(ViewCanvas, GadgetLeftPressed, 2, 3));    // tile (0,0)
  Feed(GadgetAt(ViewCanvas, GadgetLeftReleased, 20, 30)); // tile (1,1)
  ASSERT_EQ(WorkPicture(), Arranged(picture, 16, {3, 1, 2, 0}));
  ASSERT_TRUE(ControlEnabled(ResetMapButton));
  Feed(Clicked(ResetMapButton));
  EXPECT_EQ(WorkPicture(), picture);
  EXPECT_EQ(MapNumbers(), Fresh(4));
  EXPECT_FALSE(ControlEnabled(ResetMapButton));
}

TEST_F(Restoring, FollowsAMapReadFromAFile) {
  const QImage picture = PatternPicture(32, 32);
  OpenPicture(picture);
  const QString path = TempPath("corners.zirf-map");
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write("3\r\n1\r\n2\r\n0\r\n");
  file.close();
  OpenMap(path);
  Feed(Clicked(ResetMapButton));
  EXPECT_EQ(WorkPicture(), Arranged(picture, 16, {3, 1, 2, 0}));
}

TEST_F(Restoring, SecondResetChangesNothing) {
  const QImage picture = PatternPicture(32, 32);
  OpenPicture(picture);
  SetMap({10, 30, 20, 40});
  remapped = 1;
  Feed(Clicked(ResetMapButton));
  const QImage once = WorkPicture();
  ASSERT_FALSE(ControlEnabled(ResetMapButton)); // the second reset comes from the menu
  Feed(MenuChosen(MenuResetMap));
  EXPECT_EQ(WorkPicture(), once);
  EXPECT_EQ(MapNumbers(), Fresh(4));
  EXPECT_EQ(remapped, 0);
}

TEST_F(Restoring, WithoutPictureOnlyClearsRemapped) {
  remapped = 1;
  RestoreTiles();
  EXPECT_EQ(remapped, 0);
  Feed(MenuChosen(MenuResetMap)); // no dialog may open
  EXPECT_FALSE(ImageExists(workImage));
  EXPECT_EQ(tileCols, 0);
  EXPECT_EQ(tileRows, 0);
  EXPECT_EQ(remapped, 0);
  EXPECT_FALSE(ControlEnabled(ResetMapButton));
}

TEST_F(Restoring, TileModeChangeRightAfterOpeningAsksNothing) {
  OpenPicture(PatternPicture(32, 32));
  ChooseTileMode(0); // " 8x8 Grid"; the script expects no dialog
  EXPECT_EQ(tileSize, 8);
  EXPECT_EQ(tileCols, 4);
  EXPECT_EQ(tileRows, 4);
  EXPECT_EQ(MapNumbers(), Fresh(16));
  EXPECT_EQ(remapped, 1); // the fresh map still offers Reset Map
  EXPECT_TRUE(ControlEnabled(ResetMapButton));
  EXPECT_TRUE(ControlHasFocus(ViewCanvas));
}

TEST_F(Restoring, TileModeChangeOffersToRestoreAtTheOldSize) {
  struct Case {
    const char *name;
    bool yes;
    std::vector<int> sources; // the arrangement of 16 x 16 tiles afterwards
  };
  const std::vector<Case> cases = {
      {"No keeps the arrangement", false, {3, 1, 2, 0}},
      {"Yes restores first", true, {0, 1, 2, 3}},
  };
  const QImage picture = PatternPicture(32, 32);
  const QImage swapped = Arranged(picture, 16, {3, 1, 2, 0});
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    OpenPicture(swapped);
    SetMap({3, 1, 2, 0});
    remapped = 1;
    ScriptDialogs({TileModeQuestion(c.yes)});
    ChooseTileMode(0);
    EXPECT_TRUE(DialogScriptFailures().isEmpty()) << DialogScriptFailures().join("\n").toStdString();
    EXPECT_EQ(WorkPicture(), Arranged(picture, 16, c.sources));
    EXPECT_EQ(tileSize, 8);
    EXPECT_EQ(MapNumbers(), Fresh(16)); // the tiles numbered as they now stand, at 8 x 8
    EXPECT_EQ(remapped, 1);
    EXPECT_TRUE(ControlEnabled(ResetMapButton));
    EXPECT_EQ(ComboSelection(TileModeCombo), 0);
  }
  // Back to 16 x 16: remapped is still 1, so the question comes again.
  ScriptDialogs({TileModeQuestion(false)});
  ChooseTileMode(1);
  EXPECT_EQ(tileSize, 16);
  EXPECT_EQ(MapNumbers(), Fresh(4));
}
