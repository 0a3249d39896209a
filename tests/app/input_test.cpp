// Qt input becomes plain events in the queue, and only what the loop should see.
#include "app/ids.h"
#include "app/state.h"
#include "platform/ui.h"
#include "platform/ui_widgets.h"
#include "tests/support/apptest.h"

#include <QApplication>
#include <QComboBox>
#include <QMainWindow>
#include <QMimeData>
#include <QScrollArea>
#include <QScrollBar>
#include <QTest>
#include <QUrl>

using Input = AppTest;

static std::vector<Event> TakeAll() {
  PumpToolkit();
  std::vector<Event> events;
  Event event;
  while (TakeEvent(event))
    events.push_back(event);
  return events;
}

static void SendWheel(QWidget *widget, int delta) {
  const QPointF at(widget->width() / 2.0, widget->height() / 2.0);
  QWheelEvent wheel(at, widget->mapToGlobal(at), QPoint(), QPoint(0, delta), Qt::NoButton, Qt::NoModifier,
                    Qt::NoScrollPhase, false);
  QApplication::sendEvent(widget, &wheel);
}

TEST_F(Input, WheelAnywhereInTheWindowIsOneEventAndMovesNoControl) {
  OpenPicture(PatternPicture(600, 600)); // larger than the view, so the scroller could scroll
  auto *scroller = static_cast<QScrollArea *>(ControlWidget(ViewScroller));
  auto *combo = static_cast<QComboBox *>(ControlWidget(TileModeCombo));
  const int scrolledBefore = scroller->verticalScrollBar()->value();
  SendWheel(combo, -360);
  SendWheel(scroller->viewport(), -120);
  SendWheel(ControlWidget(ViewCanvas), 120);
  const std::vector<Event> events = TakeAll();
  ASSERT_EQ(events.size(), 3u);
  EXPECT_EQ(events[0].kind, WheelEvent);
  EXPECT_LT(events[0].rotation, 0);
  EXPECT_LT(events[1].rotation, 0);
  EXPECT_GT(events[2].rotation, 0);
  EXPECT_EQ(combo->currentIndex(), 1);
  EXPECT_EQ(scroller->verticalScrollBar()->value(), scrolledBefore);
}

TEST_F(Input, OnlyTheUsersComboChangeIsAnEvent) {
  OpenPicture(PatternPicture(32, 32));
  SetComboSelection(TileModeCombo, 0);
  EXPECT_TRUE(TakeAll().empty());
  static_cast<QComboBox *>(ControlWidget(TileModeCombo))->setCurrentIndex(1); // as a user's choice does
  const std::vector<Event> events = TakeAll();
  ASSERT_EQ(events.size(), 1u);
  EXPECT_EQ(events[0].kind, GadgetEvent);
  EXPECT_EQ(events[0].sourceId, TileModeCombo);
  EXPECT_EQ(events[0].type, GadgetSelectionChanged);
}

TEST_F(Input, ButtonClicksAreGadgetEvents) {
  OpenPicture(PatternPicture(32, 32));
  QTest::mouseClick(ControlWidget(AddGridButton), Qt::LeftButton);
  const std::vector<Event> events = TakeAll();
  ASSERT_EQ(events.size(), 1u);
  EXPECT_EQ(events[0].sourceId, AddGridButton);
  EXPECT_EQ(events[0].type, GadgetClicked);
}

TEST_F(Input, ShortcutsArriveAsMenuEventsWhateverHasTheFocus) {
  QMainWindow *window = MainWindowWidget();
  window->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(window));
  OpenPicture(PatternPicture(32, 32));
  for (int focus : {ViewCanvas, TileModeCombo, ViewScroller}) {
    FocusControl(focus);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_O, Qt::ControlModifier);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_S, Qt::ControlModifier);
    const std::vector<Event> events = TakeAll();
    ASSERT_EQ(events.size(), 2u) << "focus on " << focus;
    EXPECT_EQ(events[0].kind, MenuEvent);
    EXPECT_EQ(events[0].menuId, MenuOpenImage);
    EXPECT_EQ(events[1].menuId, MenuSaveImage);
  }
}

TEST_F(Input, CloseBoxPostsACloseEventAndKeepsTheWindow) {
  EXPECT_FALSE(MainWindowWidget()->close());
  EXPECT_TRUE(MainWindowWidget()->isVisible());
  const std::vector<Event> events = TakeAll();
  ASSERT_EQ(events.size(), 1u);
  EXPECT_EQ(events[0].kind, CloseEvent);
}

TEST_F(Input, AtMostOneSizeEventWaits) {
  MainWindowWidget()->resize(700, 500);
  PumpToolkit();
  MainWindowWidget()->resize(720, 520);
  MainWindowWidget()->resize(740, 540);
  PostEvent(MenuChosen(MenuAbout));
  PostEvent(SimpleEvent(SizeEvent));
  const std::vector<Event> events = TakeAll();
  ASSERT_EQ(events.size(), 2u);
  EXPECT_EQ(events[0].kind, MenuEvent);
  EXPECT_EQ(events[1].kind, SizeEvent);
}

TEST_F(Input, CanvasReportsLeftPressesAndReleasesInCanvasPixels) {
  OpenPicture(PatternPicture(64, 64));
  QWidget *canvas = ControlWidget(ViewCanvas);
  QTest::mousePress(canvas, Qt::LeftButton, Qt::NoModifier, QPoint(10, 20));
  QTest::mouseRelease(canvas, Qt::LeftButton, Qt::NoModifier, QPoint(500, -7)); // beyond the edge
  QTest::mousePress(canvas, Qt::RightButton, Qt::NoModifier, QPoint(5, 5));
  QTest::mouseRelease(canvas, Qt::RightButton, Qt::NoModifier, QPoint(5, 5));
  // A double click as Qt 6 delivers it (press, release, press, double-click, release),
  // then as older toolkits do (press, release, double-click, release).
  const auto doubleClick = [canvas](QPoint at) {
    QMouseEvent event(QEvent::MouseButtonDblClick, at, canvas->mapToGlobal(at), Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QApplication::sendEvent(canvas, &event);
  };
  QTest::mousePress(canvas, Qt::LeftButton, Qt::NoModifier, QPoint(30, 40));
  QTest::mouseRelease(canvas, Qt::LeftButton, Qt::NoModifier, QPoint(30, 40));
  QTest::mousePress(canvas, Qt::LeftButton, Qt::NoModifier, QPoint(30, 40));
  doubleClick(QPoint(30, 40));
  QTest::mouseRelease(canvas, Qt::LeftButton, Qt::NoModifier, QPoint(30, 40));
  QTest::mousePress(canvas, Qt::LeftButton, Qt::NoModifier, QPoint(1, 2));
  QTest::mouseRelease(canvas, Qt::LeftButton, Qt::NoModifier, QPoint(1, 2));
  doubleClick(QPoint(1, 2));
  QTest::mouseRelease(canvas, Qt::LeftButton, Qt::NoModifier, QPoint(1, 2));
  const std::vector<Event> events = TakeAll();
  struct Expected {
    int type, x, y;
  };
  const std::vector<Expected> expected = {{GadgetLeftPressed, 10, 20}, {GadgetLeftReleased, 63, 0},
                                          {GadgetLeftPressed, 30, 40}, {GadgetLeftReleased, 30, 40},
                                          {GadgetLeftPressed, 30, 40}, {GadgetLeftReleased, 30, 40},
                                          {GadgetLeftPressed, 1, 2},   {GadgetLeftReleased, 1, 2},
                                          {GadgetLeftPressed, 1, 2},   {GadgetLeftReleased, 1, 2}};
  ASSERT_EQ(events.size(), expected.size());
  for (size_t i = 0; i < expected.size(); ++i) {
    EXPECT_EQ(events[i].sourceId, ViewCanvas) << i;
    EXPECT_EQ(events[i].type, expected[i].type) << i;
    EXPECT_EQ(QPoint(events[i].x, events[i].y), QPoint(expected[i].x, expected[i].y)) << i;
  }
}

static void SendDrop(QWidget *target, QMimeData *data) {
  const QPoint at(target->width() / 2, target->height() / 2);
  QDragEnterEvent enter(at, Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(target, &enter);
  if (!enter.isAccepted())
    return;
  QDropEvent drop(QPointF(at), Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(target, &drop);
}

TEST_F(Input, FilesDroppedOnAControlArriveAsOneDropEvent) {
  QMimeData files, text;
  files.setUrls({QUrl::fromLocalFile("/tmp/a b.png"), QUrl::fromLocalFile("/tmp/c.zirf-map")});
  text.setText("not a file");
  for (int id : {AddGridButton, TileModeLabel, ViewCanvas, ViewScroller}) {
    SendDrop(ControlWidget(id), &files); // Qt hands the drag on to the window
    SendDrop(ControlWidget(id), &text);  // refused
    const std::vector<Event> events = TakeAll();
    ASSERT_EQ(events.size(), 1u) << "dropped on " << id;
    EXPECT_EQ(events[0].kind, DropEvent);
    EXPECT_EQ(events[0].dropKind, DropFiles);
    EXPECT_EQ(events[0].files, QString("/tmp/a b.png") + QChar(10) + "/tmp/c.zirf-map");
  }
}
