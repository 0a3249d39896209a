// On a screen with two device pixels per logical pixel (QT_SCALE_FACTOR=2), every picture
// pixel is still an exact block, and the controls keep their logical geometry.
#include "app/ids.h"
#include "app/state.h"
#include "image/view.h"
#include "platform/ui.h"
#include "platform/ui_widgets.h"
#include "tests/support/apptest.h"

#include <QPixmap>
#include <QTest>

using HighDensity = AppTest;

TEST_F(HighDensity, RunsAtTwoDevicePixelsPerPixel) {
  ASSERT_DOUBLE_EQ(ControlWidget(ViewCanvas)->devicePixelRatioF(), 2.0);
}

TEST_F(HighDensity, EveryPicturePixelIsAnExactBlockAtEveryZoom) {
  const QImage picture = PatternPicture(13, 7);
  OpenPicture(picture);
  for (int factor : {1, 2, 3, 10}) {
    zoom = factor;
    RefreshView();
    QWidget *canvas = ControlWidget(ViewCanvas);
    ASSERT_EQ(canvas->size(), QSize(13 * factor, 7 * factor));
    const QImage shown = canvas->grab().toImage().convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(shown.size(), QSize(26 * factor, 14 * factor));
    int wrong = 0;
    for (int y = 0; y < shown.height(); ++y)
      for (int x = 0; x < shown.width(); ++x)
        wrong += shown.pixel(x, y) != picture.pixel(x / (2 * factor), y / (2 * factor));
    EXPECT_EQ(wrong, 0) << "zoom " << factor;
  }
}

TEST_F(HighDensity, ControlsKeepTheirLogicalGeometryAndPressesTheirLogicalPosition) {
  EXPECT_EQ(ControlWidget(ResetMapButton)->geometry(), QRect(ClientWidth() - 125, 5, 120, 20));
  EXPECT_EQ(ControlWidget(ViewScroller)->width(), ClientWidth() - 10);
  OpenPicture(PatternPicture(64, 64));
  QTest::mousePress(ControlWidget(ViewCanvas), Qt::LeftButton, Qt::NoModifier, QPoint(47, 17));
  PumpToolkit();
  Event press;
  ASSERT_TRUE(TakeEvent(press));
  EXPECT_EQ(QPoint(press.x, press.y), QPoint(47, 17));
  QTest::mouseRelease(ControlWidget(ViewCanvas), Qt::LeftButton, Qt::NoModifier, QPoint(47, 17));
  ClearEvents();
}
