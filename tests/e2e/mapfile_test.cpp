// The map file through the real Map menu and the real file dialogs: two tiles exchanged by a
// drag, the map saved, Reset Map brings the picture home, the saved map read back and Reset
// Map again puts the exchange back on the screen.
#include "xsession.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace e2e {
namespace {

const QString openDialogPattern = "^Please choose file to open\\.\\.$";
const QString saveDialogPattern = "^Please choose file to save\\.\\.$";
constexpr int tilePixels = 16;
constexpr int mapMenu = 1; // File, Map, Settings, Help
constexpr int mapOpenItem = 0, mapSaveItem = 1;

// 4 x 2 tiles, each its own colour with a diagonal pattern that a mirror would change;
// no pixel is the view's grey (blue is never 128).
QImage TileSheet() {
  QImage sheet(4 * tilePixels, 2 * tilePixels, QImage::Format_RGB32);
  for (int y = 0; y < sheet.height(); ++y)
    for (int x = 0; x < sheet.width(); ++x) {
      const int col = x / tilePixels, row = y / tilePixels, u = x % tilePixels, v = y % tilePixels;
      const int mark = u > v ? 60 : 0;
      sheet.setPixel(x, y, qRgb(30 + 50 * col + mark, 200 - 90 * row - 5 * v, 10 + 3 * u + 2 * v));
    }
  return sheet;
}

// Tile (0,0) and tile (3,1) exchanged, written out by hand.
QImage CornersExchanged(const QImage &sheet) {
  QImage swapped = sheet.copy();
  for (int y = 0; y < tilePixels; ++y)
    for (int x = 0; x < tilePixels; ++x) {
      swapped.setPixel(x, y, sheet.pixel(3 * tilePixels + x, tilePixels + y));
      swapped.setPixel(3 * tilePixels + x, tilePixels + y, sheet.pixel(x, y));
    }
  return swapped;
}

QByteArray FileBytes(const QString &path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

class MapFileInWindow : public ::testing::Test {
protected:
  void SetUp() override {
    ASSERT_TRUE(folder.isValid());
    ASSERT_TRUE(x.StartDisplay()) << x.Diagnostics().toStdString();
    ASSERT_TRUE(x.StartProgram()) << x.Diagnostics().toStdString();
  }

  QPoint ResetMapButton() { return x.ClientOrigin() + QPoint(x.InnerRect(x.MainWindow()).width() - 65, 15); }
  QImage ResetMapButtonLook(const QImage &screen) {
    return screen.copy(QRect(ResetMapButton() - QPoint(60, 10), QSize(120, 20)));
  }
  // Somewhere in the view below the picture, where the pointer changes no control's look.
  void PointerAside() { ASSERT_TRUE(x.MoveMouse(x.ViewRect().center() + QPoint(0, 60))); }

  QTemporaryDir folder;
  XSession x{TestArtifactPrefix()};
};

TEST_F(MapFileInWindow, SavedMapReadBackPutsTheExchangeBackAfterResetMap) {
  const QImage sheet = TileSheet();
  const QImage swappedSheet = CornersExchanged(sheet);
  const QString picturePath = folder.filePath("sheet.png");
  ASSERT_TRUE(sheet.save(picturePath, "PNG"));
  const QString title = x.WindowTitle(x.MainWindow());

  ASSERT_TRUE(x.Key("ctrl+o"));
  ASSERT_TRUE(AnswerFileDialog(x, openDialogPattern, picturePath)) << x.Diagnostics().toStdString();
  QPoint canvas;
  QString shown = WaitForPictureInView(x, sheet, &canvas);
  ASSERT_TRUE(shown.isEmpty()) << "after opening: " << shown.toStdString();
  PointerAside();
  const QImage opened = x.Screenshot("opened");

  ASSERT_TRUE(x.Drag(canvas + QPoint(8, 8), canvas + QPoint(3 * tilePixels + 8, tilePixels + 8)));
  PointerAside();
  shown = WaitForPictureInView(x, swappedSheet);
  const QImage swapped = x.Screenshot("tiles-exchanged");
  ASSERT_TRUE(shown.isEmpty()) << "after the drag: " << shown.toStdString();
  EXPECT_FALSE(ResetMapButtonLook(swapped) == ResetMapButtonLook(opened)) << "Reset Map still looks disabled";

  // Saved under a name without extension: the program adds ".zirf-map".
  ASSERT_TRUE(ChooseMenuItem(x, mapMenu, mapSaveItem)) << x.Diagnostics().toStdString();
  ASSERT_TRUE(AnswerFileDialog(x, saveDialogPattern, folder.filePath("arranged"))) << x.Diagnostics().toStdString();
  const QString mapPath = folder.filePath("arranged.zirf-map");
  const QByteArray expectedMap = "7\r\n1\r\n2\r\n3\r\n4\r\n5\r\n6\r\n0\r\n";
  EXPECT_TRUE(WaitFor([&] { return FileBytes(mapPath) == expectedMap; }))
      << "the map file holds \"" << FileBytes(mapPath).toStdString() << "\"";
  EXPECT_FALSE(QFile::exists(folder.filePath("arranged")));
  x.Screenshot("map-saved");

  ASSERT_TRUE(x.ClickAt(ResetMapButton()));
  PointerAside();
  shown = WaitForPictureInView(x, sheet);
  const QImage home = x.Screenshot("reset-home");
  ASSERT_TRUE(shown.isEmpty()) << "after Reset Map: " << shown.toStdString();
  EXPECT_TRUE(ResetMapButtonLook(home) == ResetMapButtonLook(opened)) << "Reset Map should look disabled again";

  // Reading the map changes only the map: the picture stays home, Reset Map is offered.
  ASSERT_TRUE(ChooseMenuItem(x, mapMenu, mapOpenItem)) << x.Diagnostics().toStdString();
  ASSERT_TRUE(AnswerFileDialog(x, openDialogPattern, mapPath)) << x.Diagnostics().toStdString();
  PointerAside();
  EXPECT_TRUE(WaitFor([&] { return ResetMapButtonLook(x.GrabScreen()) == ResetMapButtonLook(swapped); }))
      << "Reset Map does not look enabled after the map was read";
  shown = WaitForPictureInView(x, sheet);
  x.Screenshot("map-read");
  EXPECT_TRUE(shown.isEmpty()) << "reading the map changed the picture: " << shown.toStdString();

  ASSERT_TRUE(x.ClickAt(ResetMapButton()));
  PointerAside();
  shown = WaitForPictureInView(x, swappedSheet);
  const QImage restored = x.Screenshot("reset-by-read-map");
  ASSERT_TRUE(shown.isEmpty()) << "after Reset Map by the read map: " << shown.toStdString();

  // Everything but the view is as it was after the first Reset Map: title, controls (Reset
  // Map disabled again), the menu bar and the zoom field.
  EXPECT_EQ(x.WindowTitle(x.MainWindow()).toStdString(), title.toStdString());
  const QString outside = DifferenceOutside(home, restored, x.InnerRect(x.MainWindow()), x.ViewRect());
  EXPECT_TRUE(outside.isEmpty()) << "outside the view: " << outside.toStdString();
}

} // namespace
} // namespace e2e
