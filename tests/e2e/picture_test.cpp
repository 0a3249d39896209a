// A picture opened through the real file dialog, enlarged with real wheel clicks, and two of
// its tiles exchanged by a real drag: every step checked on the screen, pixel for pixel.
#include "xsession.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace e2e {
namespace {

const QString openDialogPattern = "^Please choose file to open\\.\\.$";
constexpr int tilePixels = 16; // the tile size a freshly opened picture is worked in

// 6 x 4 tiles of 16 pixels. Red grows with the column and along each tile's rows, green
// with the row and down each tile, blue mixes both inside a tile: every tile differs from
// the others and from itself mirrored, red and blue never trade places unseen, and no
// pixel is the view's grey (red is never 128).
QImage TileSheet() {
  QImage sheet(6 * tilePixels, 4 * tilePixels, QImage::Format_RGB32);
  for (int y = 0; y < sheet.height(); ++y)
    for (int x = 0; x < sheet.width(); ++x) {
      const int col = x / tilePixels, row = y / tilePixels, u = x % tilePixels, v = y % tilePixels;
      sheet.setPixel(x, y, qRgb(10 + 40 * col + u, 20 + 50 * row + v, (u + 3 * v) * 4 % 256));
    }
  return sheet;
}

QImage WithTilesExchanged(const QImage &sheet, QPoint first, QPoint second) {
  const QRect a(first * tilePixels, QSize(tilePixels, tilePixels));
  const QRect b(second * tilePixels, QSize(tilePixels, tilePixels));
  QImage swapped = sheet.copy();
  for (int y = 0; y < tilePixels; ++y)
    for (int x = 0; x < tilePixels; ++x) {
      swapped.setPixel(a.topLeft() + QPoint(x, y), sheet.pixel(b.topLeft() + QPoint(x, y)));
      swapped.setPixel(b.topLeft() + QPoint(x, y), sheet.pixel(a.topLeft() + QPoint(x, y)));
    }
  return swapped;
}

class PictureInWindow : public ::testing::Test {
protected:
  void SetUp() override {
    ASSERT_TRUE(folder.isValid());
    ASSERT_TRUE(x.StartDisplay()) << x.Diagnostics().toStdString();
    ASSERT_TRUE(x.StartProgram()) << x.Diagnostics().toStdString();
  }

  // The part of a screenshot that shows the Reset Map button (5 pixels from the right).
  QImage ResetMapButtonLook(const QImage &screen) {
    return screen.copy(QRect(x.ClientOrigin() + QPoint(x.InnerRect(x.MainWindow()).width() - 125, 5), QSize(120, 20)));
  }

  // The right end of the status bar, where the zoom is told: below the view's frame.
  QImage ZoomFieldLook(const QImage &screen) {
    const QRect inner = x.InnerRect(x.MainWindow());
    const int top = x.ViewRect().bottom() + 4;
    return screen.copy(QRect(inner.right() - 120, top, 120, inner.bottom() - top));
  }

  QTemporaryDir folder;
  XSession x{TestArtifactPrefix()};
};

TEST_F(PictureInWindow, OpenedZoomedAndTwoTilesExchangedByDragShowOnScreen) {
  const QImage sheet = TileSheet();
  const QString path = folder.filePath("sheet.png");
  ASSERT_TRUE(sheet.save(path, "PNG"));

  ASSERT_TRUE(x.Key("ctrl+o"));
  ASSERT_TRUE(AnswerFileDialog(x, openDialogPattern, path)) << x.Diagnostics().toStdString();
  QPoint canvas;
  QString shown = WaitForPictureInView(x, sheet, &canvas);
  const QImage opened = x.Screenshot("opened");
  ASSERT_TRUE(shown.isEmpty()) << "right after opening, at zoom 1: " << shown.toStdString();

  // Two clicks away from the user, with the pointer on the picture: zoom 3.
  ASSERT_TRUE(x.MoveMouse(canvas + QPoint(8, 8)));
  ASSERT_TRUE(x.Wheel(WheelDirection::Up, 2));
  shown = WaitForPictureInView(x, Enlarged(sheet, 3), &canvas);
  const QImage zoomed = x.Screenshot("zoomed-3");
  ASSERT_TRUE(shown.isEmpty()) << "after two wheel clicks: " << shown.toStdString();
  EXPECT_FALSE(ZoomFieldLook(zoomed) == ZoomFieldLook(opened)) << "the zoom field still tells the old factor";
  EXPECT_TRUE(ResetMapButtonLook(zoomed) == ResetMapButtonLook(opened)) << "nothing was exchanged yet";

  // From the middle of tile (1,0) to the middle of tile (4,2); at zoom 3 a tile is 48
  // screen pixels wide.
  const int tileOnScreen = tilePixels * 3;
  ASSERT_TRUE(x.Drag(canvas + QPoint(1, 0) * tileOnScreen + QPoint(24, 24),
                     canvas + QPoint(4, 2) * tileOnScreen + QPoint(24, 24)));
  ASSERT_TRUE(x.MoveMouse(canvas + QPoint(8, 8))); // the same place as before the drag
  shown = WaitForPictureInView(x, Enlarged(WithTilesExchanged(sheet, {1, 0}, {4, 2}), 3));
  const QImage swapped = x.Screenshot("tiles-exchanged");
  ASSERT_TRUE(shown.isEmpty()) << "after the drag: " << shown.toStdString();
  EXPECT_FALSE(ResetMapButtonLook(swapped) == ResetMapButtonLook(zoomed)) << "Reset Map still looks disabled";
  EXPECT_TRUE(ZoomFieldLook(swapped) == ZoomFieldLook(zoomed)) << "the drag changed the zoom field";
}

} // namespace
} // namespace e2e
