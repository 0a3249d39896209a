// The zoomed view: every picture pixel a zoom x zoom block on the canvas, the scroll
// extent the enlarged size, the factor in the status bar.
#include "app/ids.h"
#include "app/state.h"
#include "image/view.h"
#include "platform/imagelib.h"
#include "platform/ui.h"
#include "platform/ui_widgets.h"
#include "platform/zoompaint.h"
#include "tests/support/apptest.h"

#include <QImage>
#include <QPixmap>
#include <QScrollArea>
#include <QScrollBar>
#include <cstdlib>
#include <cstring>
#include <vector>

using ZoomedView = AppTest;

namespace {

QImage CanvasPixels() { return ControlWidget(ViewCanvas)->grab().toImage().convertToFormat(QImage::Format_RGB888); }

QScrollArea *Scroller() { return static_cast<QScrollArea *>(ControlWidget(ViewScroller)); }

// Compares view pixel by pixel with picture enlarged by factor, colours only.
void ExpectEnlarged(const QImage &view, const QImage &picture, int factor) {
  ASSERT_EQ(view.size(), picture.size() * factor);
  for (int y = 0; y < view.height(); ++y)
    for (int x = 0; x < view.width(); ++x)
      ASSERT_EQ(view.pixel(x, y), picture.pixel(x / factor, y / factor) | 0xFF000000u) << x << "," << y;
}

void ZoomTo(int factor) {
  while (zoom < factor)
    Feed(WheelTurned(120));
}

// A 6 x 5 red "F" on blue with one green pixel: catches flips and red/blue swaps.
QImage LetterF() {
  QImage picture(6, 5, QImage::Format_RGB888);
  picture.fill(qRgb(0, 0, 255));
  for (int y = 0; y < 5; ++y)
    picture.setPixel(1, y, qRgb(255, 0, 0));
  for (int x = 1; x < 5; ++x)
    picture.setPixel(x, 0, qRgb(255, 0, 0));
  for (int x = 1; x < 4; ++x)
    picture.setPixel(x, 2, qRgb(255, 0, 0));
  picture.setPixel(5, 4, qRgb(0, 255, 0));
  return picture;
}

} // namespace

TEST_F(ZoomedView, CanvasShowsEachPixelAsAZoomBlock) {
  const QImage picture = LetterF();
  OpenPicture(picture);
  ExpectEnlarged(CanvasPixels(), picture, 1);
  ZoomTo(3);
  EXPECT_EQ(StatusText(1), "Zoom: 3x3");
  const QImage view = CanvasPixels();
  ExpectEnlarged(view, picture, 3);
  EXPECT_EQ(view.pixel(2, 2), qRgb(0, 0, 255));   // picture pixel (0, 0)
  EXPECT_EQ(view.pixel(3, 14), qRgb(255, 0, 0));  // the stem of the F
  EXPECT_EQ(view.pixel(17, 14), qRgb(0, 255, 0)); // the bottom right pixel
  EXPECT_EQ(view.pixel(17, 11), qRgb(0, 0, 255)); // above it
  ZoomTo(10);
  EXPECT_EQ(StatusText(1), "Zoom: 10x10");
  ExpectEnlarged(CanvasPixels(), picture, 10);
}

TEST_F(ZoomedView, AlphaOfA32BitPictureHasNoEffect) {
  // Red, green, blue, alpha of the six pixels, written straight into the bytes so that
  // no conversion touches the colours under the transparency.
  const uchar pixels[6][4] = {{200, 10, 20, 0}, {30, 40, 250, 128}, {1, 2, 3, 255},
                              {90, 80, 70, 1},  {255, 0, 0, 0},     {0, 0, 0, 0}};
  QImage picture(3, 2, QImage::Format_RGBA8888);
  for (int i = 0; i < 6; ++i)
    std::memcpy(picture.scanLine(i / 3) + (i % 3) * 4, pixels[i], 4);
  OpenPicture(picture);
  ASSERT_EQ(ImageDepth(workImage), 32);
  ZoomTo(2);
  const QImage view = CanvasPixels();
  for (int i = 0; i < 6; ++i)
    EXPECT_EQ(view.pixel((i % 3) * 2 + 1, (i / 3) * 2 + 1), qRgb(pixels[i][0], pixels[i][1], pixels[i][2])) << i;
}

TEST_F(ZoomedView, ScrollExtentIsThePictureTimesZoom) {
  struct Case {
    int width, height, factor;
  };
  for (const Case c : {Case{300, 200, 3}, Case{300, 200, 1}, Case{maxImageSide, 2, 10}, Case{3, maxImageSide, 10}}) {
    SCOPED_TRACE(testing::Message() << c.width << "x" << c.height << " at " << c.factor);
    ASSERT_TRUE(CreateImage(workImage, c.width, c.height, 24, 0));
    zoom = c.factor;
    RefreshView();
    PumpToolkit();
    const int extentX = c.width * c.factor, extentY = c.height * c.factor;
    EXPECT_EQ(ScrollerInnerWidth(ViewScroller), extentX);
    EXPECT_EQ(ScrollerInnerHeight(ViewScroller), extentY);
    EXPECT_EQ(ControlWidth(ViewCanvas), extentX);
    EXPECT_EQ(ControlHeight(ViewCanvas), extentY);
    const QSize visible = Scroller()->viewport()->size();
    EXPECT_EQ(Scroller()->horizontalScrollBar()->maximum(), std::max(0, extentX - visible.width()));
    EXPECT_EQ(Scroller()->verticalScrollBar()->maximum(), std::max(0, extentY - visible.height()));
  }
}

TEST_F(ZoomedView, FarCornerOfTheWidestPictureIsPaintedFromThePicture) {
  QImage picture(maxImageSide, 3, QImage::Format_RGB888);
  picture.fill(qRgb(0, 0, 0));
  picture.setPixel(maxImageSide - 1, 2, qRgb(10, 20, 30));
  picture.setPixel(maxImageSide - 2, 2, qRgb(40, 50, 60));
  OpenPicture(picture);
  ZoomTo(10);
  Scroller()->horizontalScrollBar()->setValue(Scroller()->horizontalScrollBar()->maximum());
  Scroller()->verticalScrollBar()->setValue(Scroller()->verticalScrollBar()->maximum());
  const QImage shown = Scroller()->viewport()->grab().toImage();
  // The 30 pixels high canvas stands centred in height; its right end is at the viewport's.
  const QRect canvas = ControlWidget(ViewCanvas)->geometry();
  ASSERT_EQ(canvas.right(), shown.width() - 1);
  const QPoint corner = canvas.bottomRight();
  EXPECT_EQ(shown.pixel(corner), qRgb(10, 20, 30));
  EXPECT_EQ(shown.pixel(corner - QPoint(9, 9)), qRgb(10, 20, 30));
  EXPECT_EQ(shown.pixel(corner - QPoint(10, 0)), qRgb(40, 50, 60));
  EXPECT_EQ(shown.pixel(corner - QPoint(20, 0)), qRgb(0, 0, 0));
  EXPECT_EQ(shown.pixel(corner - QPoint(0, 10)), qRgb(0, 0, 0));
}

TEST_F(ZoomedView, SmallerPictureStandsCentredOnGrey) {
  OpenPicture(LetterF());
  for (int factor : {1, 2, 7}) {
    SCOPED_TRACE(factor);
    ZoomTo(factor);
    PumpToolkit();
    const QSize visible = Scroller()->viewport()->size();
    const QWidget *canvas = ControlWidget(ViewCanvas);
    // The grey on either side differs by at most one pixel.
    const int left = canvas->x(), right = visible.width() - canvas->x() - 6 * factor;
    const int top = canvas->y(), bottom = visible.height() - canvas->y() - 5 * factor;
    EXPECT_LE(std::abs(left - right), 1) << left << " " << right;
    EXPECT_LE(std::abs(top - bottom), 1) << top << " " << bottom;
    const QImage shown = Scroller()->viewport()->grab().toImage();
    EXPECT_EQ(shown.pixel(0, 0), qRgb(128, 128, 128));
    EXPECT_EQ(shown.pixel(canvas->x() - 1, canvas->y()), qRgb(128, 128, 128));
    EXPECT_EQ(shown.pixel(canvas->x(), canvas->y()), qRgb(0, 0, 255));
    EXPECT_EQ(shown.pixel(canvas->x() + factor, canvas->y()), qRgb(255, 0, 0));
  }
}

TEST_F(ZoomedView, WheelStepsOnePerMessageWithinOneToTen) {
  OpenPicture(LetterF());
  Feed(WheelTurned(360)); // three notches in one message
  EXPECT_EQ(zoom, 2);
  EXPECT_EQ(ControlWidth(ViewCanvas), 12);
  for (int i = 0; i < 12; ++i)
    Feed(WheelTurned(120));
  EXPECT_EQ(zoom, 10);
  EXPECT_EQ(StatusText(1), "Zoom: 10x10");
  EXPECT_EQ(ControlWidth(ViewCanvas), 60);
  Feed(WheelTurned(0));
  EXPECT_EQ(zoom, 10);
  for (int i = 0; i < 12; ++i)
    Feed(WheelTurned(-1));
  EXPECT_EQ(zoom, 1);
  EXPECT_EQ(StatusText(1), "Zoom: 1x1");
  EXPECT_EQ(ControlWidth(ViewCanvas), 6);
}

TEST_F(ZoomedView, CanvasKeepsThePictureItWasGivenUntilTheNextRefresh) {
  const QImage first = LetterF();
  OpenPicture(first);
  ZoomTo(2);
  const QImage second = PatternPicture(6, 5);
  AdoptImage(workImage, QImage(second)); // replaced without a refresh
  ExpectEnlarged(CanvasPixels(), first, 2);
  FreeImage(workImage);
  ExpectEnlarged(CanvasPixels(), first, 2);
  AdoptImage(workImage, QImage(second));
  RefreshView();
  ExpectEnlarged(CanvasPixels(), second, 2);
}

TEST_F(ZoomedView, WithoutPictureNothingOnScreenChanges) {
  const QImage before = CanvasPixels();
  EXPECT_EQ(before.size(), QSize(256, 256));
  EXPECT_EQ(before.pixel(100, 100), qRgb(128, 128, 128));
  zoom = 14;
  RefreshView();
  EXPECT_EQ(zoom, 10); // clamped first, with or without a picture
  zoom = -3;
  RefreshView();
  EXPECT_EQ(zoom, 1);
  EXPECT_EQ(StatusText(1), "Zoom: 1x1");
  EXPECT_EQ(CanvasPixels(), before);
}

TEST(PaintZoomed, PaintsOnlyTheAskedRegionFromThePicture) {
  const QImage picture = LetterF();
  struct Case {
    int factor;
    QRect area;
  };
  // Regions inside, straddling the enlarged picture's edges, and wholly beyond them.
  for (const Case c : {Case{3, {4, 2, 7, 9}}, Case{3, {15, 12, 8, 8}}, Case{1, {-2, -1, 4, 3}},
                       Case{10, {0, 0, 60, 50}}, Case{4, {30, 30, 5, 5}}}) {
    SCOPED_TRACE(testing::Message() << c.factor << " " << c.area.x() << "," << c.area.y());
    QImage out(c.area.size(), QImage::Format_RGB32);
    out.fill(qRgb(1, 2, 3));
    PaintZoomed(picture, c.factor, c.area, out);
    for (int y = 0; y < out.height(); ++y)
      for (int x = 0; x < out.width(); ++x) {
        const int vx = c.area.x() + x, vy = c.area.y() + y;
        const bool onPicture = vx >= 0 && vy >= 0 && vx < 6 * c.factor && vy < 5 * c.factor;
        const QRgb expected = onPicture ? picture.pixel(vx / c.factor, vy / c.factor) : qRgb(1, 2, 3);
        ASSERT_EQ(out.pixel(x, y), expected) << vx << "," << vy;
      }
  }
}
