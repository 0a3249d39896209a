// The main window as the user sees it: geometry, menus, shortcuts, icon, view.
#include "app/ids.h"
#include "app/state.h"
#include "platform/ui.h"
#include "platform/ui_widgets.h"
#include "tests/support/apptest.h"

#include <QAction>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QScrollArea>
#include <QScrollBar>
#include <QStatusBar>

using MainWindowLook = AppTest;

static QRect Geometry(int id) { return ControlWidget(id)->geometry(); }

TEST_F(MainWindowLook, ControlsStandWhereTheyBelongAtStart) {
  const int width = ClientWidth(), height = ClientHeight(), status = StatusBarHeight();
  EXPECT_EQ(width, 640);
  EXPECT_EQ(height, 480 - MainWindowWidget()->menuBar()->height());
  EXPECT_GT(status, 0);
  const struct {
    int id;
    QRect expected;
  } cases[] = {
      {TileModeLabel, QRect(5, 7, 70, 20)},           {TileModeCombo, QRect(85, 5, 120, 20)},
      {AddGridButton, QRect(210, 5, 120, 20)},        {RemoveGridButton, QRect(335, 5, 120, 20)},
      {ResetMapButton, QRect(640 - 125, 5, 120, 20)}, {ViewScroller, QRect(5, 30, 630, height - status - 35)},
  };
  for (const auto &c : cases)
    EXPECT_EQ(Geometry(c.id), c.expected) << "control " << c.id;
  EXPECT_EQ(ControlWidget(ViewCanvas)->size(), QSize(256, 256));
}

TEST_F(MainWindowLook, GrowingTheWindowRefitsTheViewAndMovesResetMap) {
  QMainWindow *window = MainWindowWidget();
  window->resize(800, 600);
  FeedQueued(); // the window reports its new size as a size event
  EXPECT_EQ(ClientWidth(), 800);
  EXPECT_EQ(Geometry(ViewScroller), QRect(5, 30, 790, ClientHeight() - StatusBarHeight() - 35));
  EXPECT_EQ(Geometry(ResetMapButton), QRect(675, 5, 120, 20));
  // Nothing else moves.
  EXPECT_EQ(Geometry(RemoveGridButton), QRect(335, 5, 120, 20));
  EXPECT_EQ(ControlWidget(ViewCanvas)->size(), QSize(256, 256));
  EXPECT_TRUE(ControlHasFocus(ViewCanvas));
}

TEST_F(MainWindowLook, WindowHasTitleMinimumSizeAndBothIconSizes) {
  QMainWindow *window = MainWindowWidget();
  EXPECT_TRUE(WindowTitle().startsWith("ZIRF 1.0"));
  EXPECT_EQ(window->minimumSize(), QSize(640, 480));
  EXPECT_EQ(window->maximumSize(), QSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX));
  const QList<QSize> sizes = window->windowIcon().availableSizes();
  EXPECT_TRUE(sizes.contains(QSize(16, 16)));
  EXPECT_TRUE(sizes.contains(QSize(32, 32)));
  EXPECT_TRUE(window->acceptDrops());
}

TEST_F(MainWindowLook, MenusHoldTheirItemsInOrder) {
  const QStringList expected = {"File: Open..\tCtrl + O | Save As..\tCtrl + S | - | Quit",
                                "Map: Open.. | Save As.. | - | Reset Map", "Settings: Set GridColor", "Help: About"};
  QStringList seen;
  for (QAction *title : MainWindowWidget()->menuBar()->actions()) {
    QStringList items;
    for (QAction *item : title->menu()->actions()) {
      items << (item->isSeparator() ? QString("-") : item->text());
      EXPECT_TRUE(item->isEnabled());
      EXPECT_FALSE(item->isCheckable());
    }
    seen << title->text() + ": " + items.join(" | ");
  }
  EXPECT_EQ(seen, expected);
}

TEST_F(MainWindowLook, MenuItemsAndShortcutsPostTheirMenuEvents) {
  const QList<QAction *> titles = MainWindowWidget()->menuBar()->actions();
  const QList<QAction *> file = titles[0]->menu()->actions();
  EXPECT_EQ(file[0]->shortcut(), QKeySequence("Ctrl+O"));
  EXPECT_EQ(file[1]->shortcut(), QKeySequence("Ctrl+S"));
  const struct {
    QAction *item;
    int id;
  } cases[] = {
      {file[0], MenuOpenImage},
      {file[1], MenuSaveImage},
      {file[3], MenuQuit},
      {titles[1]->menu()->actions()[0], MenuOpenMap},
      {titles[1]->menu()->actions()[1], MenuSaveMap},
      {titles[1]->menu()->actions()[3], MenuResetMap},
      {titles[2]->menu()->actions()[0], MenuGridColor},
      {titles[3]->menu()->actions()[0], MenuAbout},
  };
  for (const auto &c : cases) {
    c.item->trigger();
    Event event;
    ASSERT_TRUE(TakeEvent(event));
    EXPECT_EQ(event.kind, MenuEvent);
    EXPECT_EQ(event.menuId, c.id);
  }
}

TEST_F(MainWindowLook, StartViewIsAGreyCanvasCentredWithoutScrollBars) {
  auto *scroller = static_cast<QScrollArea *>(ControlWidget(ViewScroller));
  EXPECT_EQ(scroller->alignment(), Qt::AlignCenter);
  EXPECT_EQ(scroller->frameShadow(), QFrame::Sunken);
  EXPECT_EQ(scroller->horizontalScrollBar()->singleStep(), 8);
  EXPECT_EQ(scroller->verticalScrollBar()->singleStep(), 8);
  EXPECT_FALSE(scroller->horizontalScrollBar()->isVisible());
  EXPECT_FALSE(scroller->verticalScrollBar()->isVisible());
  const QImage view = scroller->grab().toImage().convertToFormat(QImage::Format_RGB32);
  const QRect inner = scroller->viewport()->geometry();
  for (const QPoint at : {inner.topLeft() + QPoint(2, 2), inner.center(), inner.bottomRight() - QPoint(2, 2)})
    EXPECT_EQ(QColor(view.pixel(at)), QColor(128, 128, 128)) << at.x() << "," << at.y();
  const QRect canvas = ControlWidget(ViewCanvas)->geometry();
  const QSize visible = scroller->viewport()->size();
  EXPECT_EQ(canvas.topLeft(), QPoint((visible.width() - 256) / 2, (visible.height() - 256) / 2));
}
