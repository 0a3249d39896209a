// Dropped files: the first path is opened as a map when its extension is "ZIRF-MAP",
// as a picture otherwise, whatever the file holds.
#include "app/ids.h"
#include "app/state.h"
#include "image/view.h"
#include "platform/imagelib.h"
#include "platform/ui.h"
#include "tests/support/apptest.h"
#include "tilemap/tilemap.h"

#include <QFile>
#include <vector>

using DroppedFiles = AppTest;

namespace {

const QByteArray cornersMap("3\r\n1\r\n2\r\n0\r\n");

// A 2 x 2-tile picture shown at zoom 5 with a fresh map.
void ShowPictureAtZoom5(const QImage &picture) {
  OpenPicture(picture);
  zoom = 5;
  RefreshView();
}

// What a drop did: read the map (zoom kept, map from the file) or went to the picture
// branch (zoom 1, map untouched by the file).
void ExpectOpenedAsMap() {
  EXPECT_EQ(MapNumbers(), (std::vector<int32_t>{3, 1, 2, 0}));
  EXPECT_EQ(remapped, 1);
  EXPECT_TRUE(ControlEnabled(ResetMapButton));
  EXPECT_EQ(zoom, 5);
}

void ExpectOpenedAsPicture() {
  EXPECT_EQ(MapNumbers(), (std::vector<int32_t>{0, 1, 2, 3}));
  EXPECT_EQ(remapped, 0);
  EXPECT_FALSE(ControlEnabled(ResetMapButton));
  EXPECT_EQ(zoom, 1);
}

} // namespace

TEST_F(DroppedFiles, OpensTheFirstPathByItsExtension) {
  struct Case {
    QString name; // a file name in the test folder; "\" is an ordinary character here
    bool asMap;
  };
  const std::vector<Case> cases = {
      {"C:\\maps\\level1.zirf-map", true},
      {"C:\\maps\\LEVEL1.ZIRF-MAP", true},
      {"C:\\maps\\Level1.Zirf-Map", true},
      {"C:\\my maps\\level 1.zirf-map", true}, // the blanks stand before the last dot
      {"level1.z\u0131rf-map", true},          // dotless i: upper case by the full mapping
      {"C:\\pics\\tiles.png", false},
      {"C:\\pics\\tiles.zirf-map.png", false},
      {"C:\\pics\\tiles.zirf-mapx", false},
      {"C:\\pics.zirf-map\\tiles", false}, // no extension: a backslash follows the last dot
      {"C:\\pics\\.zirf-map", false},      // the dot directly follows a backslash
      {"level1.zirf-map ", false},         // the scan meets the blank first
  };
  const QImage picture = PatternPicture(32, 32);
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name.toStdString());
    ShowPictureAtZoom5(picture);
    // Every file holds a map, so the route alone decides: a picture route cannot decode it.
    const QString path = TempPath(c.name);
    WriteBytes(path, cornersMap);
    FocusControl(ViewScroller);
    Feed(FilesDropped(path));
    if (c.asMap)
      ExpectOpenedAsMap();
    else
      ExpectOpenedAsPicture();
    EXPECT_EQ(WorkPicture(), picture); // a map changes no pixel; a file that is no picture leaves it
    EXPECT_TRUE(ControlHasFocus(ViewCanvas));
    QFile::remove(path);
  }
}

TEST_F(DroppedFiles, OnlyTheFirstOfSeveralCounts) {
  const QImage picture = PatternPicture(32, 32);
  const QString map = TempPath("first.zirf-map");
  const QString otherMap = TempPath("third.zirf-map");
  const QString newPicture = WritePicture(PatternPicture(48, 16), "second.png");
  WriteBytes(map, cornersMap);
  WriteBytes(otherMap, "9\r\n9\r\n9\r\n9\r\n");

  ShowPictureAtZoom5(picture);
  Feed(FilesDropped(map + QChar(10) + newPicture + QChar(10) + otherMap));
  ExpectOpenedAsMap();
  EXPECT_EQ(WorkPicture(), picture);

  ShowPictureAtZoom5(picture);
  Feed(FilesDropped(newPicture + QChar(10) + map + QChar(10) + otherMap));
  EXPECT_EQ(zoom, 1);
  EXPECT_EQ(remapped, 0); // neither map was read
  EXPECT_NE(MapNumbers(), (std::vector<int32_t>{3, 1, 2, 0}));
}

// Meaningful once pictures can be decoded: the dropped picture replaces the old one.
TEST_F(DroppedFiles, PictureReplacesTheShownOneAtZoomOne) {
  const QImage dropped = PatternPicture(48, 16);
  const QString path = WritePicture(dropped, "dropped.png");
  OpenPicture(PatternPicture(32, 32));
  tileSize = 8;
  InitTileMap();
  zoom = 5;
  Feed(FilesDropped(path));
  EXPECT_EQ(WorkPicture(), dropped);
  EXPECT_EQ(zoom, 1);
  EXPECT_EQ(tileSize, 16);
  EXPECT_EQ(gridOn, 0);
  EXPECT_EQ(tileCols, 3);
  EXPECT_EQ(tileRows, 1);
  EXPECT_EQ(remapped, 0);
  EXPECT_EQ(ComboSelection(TileModeCombo), 1);
  EXPECT_EQ(StatusText(1), "Zoom: 1x1");
}

TEST_F(DroppedFiles, MapWithoutPictureIsNotRead) {
  const QString path = TempPath("level.zirf-map");
  WriteBytes(path, cornersMap);
  const std::vector<int32_t> startMap = tileMap;
  Feed(FilesDropped(path)); // no dialog may open
  EXPECT_EQ(tileMap, startMap);
  EXPECT_EQ(remapped, 0);
  EXPECT_FALSE(ImageExists(workImage));
  for (int id : {AddGridButton, RemoveGridButton, TileModeCombo, ResetMapButton})
    EXPECT_FALSE(ControlEnabled(id)) << id;
  EXPECT_TRUE(ControlHasFocus(ViewCanvas));
}

TEST_F(DroppedFiles, EmptyFirstPathAsksForNothing) {
  const QString map = TempPath("second.zirf-map");
  WriteBytes(map, cornersMap);
  OpenPicture(PatternPicture(32, 32));
  zoom = 5;
  Feed(FilesDropped(QChar(10) + map)); // the script expects no file dialog
  EXPECT_EQ(zoom, 5);
  EXPECT_EQ(remapped, 0);
}
