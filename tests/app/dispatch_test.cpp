// The event loop's table: which steps each event runs and where the focus ends up.
#include "app/about.h"
#include "app/dispatch.h"
#include "app/ids.h"
#include "app/state.h"
#include "platform/imagelib.h"
#include "platform/ui.h"
#include "tests/support/apptest.h"
#include "tilemap/tilemap.h"

#include <vector>

using Dispatching = AppTest;

namespace {
struct FocusCase {
  const char *name;
  bool withPicture;
  Event event;
  std::vector<DialogStep> dialogs; // what the event shows, answered by cancelling
  bool focusMovesToCanvas;
};

DialogStep Cancelled(DialogKind kind, const char *title) {
  DialogStep step;
  step.kind = kind;
  step.title = title;
  return step;
}
} // namespace

TEST_F(Dispatching, FocusTailsFollowTheTable) {
  DialogStep about = Cancelled(MessageDialog, "");
  about.text = DecipherText(AboutCipher());
  const std::vector<FocusCase> cases = {
      {"Add Grid", true, Clicked(AddGridButton), {}, true},
      {"tile mode", true, GadgetAt(TileModeCombo, GadgetSelectionChanged), {}, true},
      {"size", false, SimpleEvent(SizeEvent), {}, true},
      {"open picture, cancelled",
       false,
       MenuChosen(MenuOpenImage),
       {Cancelled(OpenFileDialog, "Please choose file to open..")},
       true},
      {"save picture without picture", false, MenuChosen(MenuSaveImage), {}, true},
      {"open map without picture", false, MenuChosen(MenuOpenMap), {}, true},
      {"save map without picture", false, MenuChosen(MenuSaveMap), {}, true},
      {"reset map from the menu", false, MenuChosen(MenuResetMap), {}, true},
      {"grid colour, cancelled", false, MenuChosen(MenuGridColor), {Cancelled(ColourDialog, "")}, true},
      {"about", false, MenuChosen(MenuAbout), {about}, true},
      {"wheel", true, WheelTurned(120), {}, false},
      {"canvas press", true, GadgetAt(ViewCanvas, GadgetLeftPressed, 3, 3), {}, false},
      {"canvas release", true, GadgetAt(ViewCanvas, GadgetLeftReleased, 3, 3), {}, false},
      {"close", false, SimpleEvent(CloseEvent), {}, false},
      {"scroller reports scrolling", false, GadgetAt(ViewScroller, GadgetOther), {}, false},
      {"unknown menu id", false, MenuChosen(99), {}, false},
      {"other event", false, SimpleEvent(OtherEvent), {}, false},
  };
  for (const FocusCase &c : cases) {
    SCOPED_TRACE(c.name);
    if (c.withPicture)
      OpenPicture(PatternPicture(32, 32));
    else
      FreeImage(workImage);
    FocusControl(ViewScroller);
    ASSERT_TRUE(ControlHasFocus(ViewScroller));
    ScriptDialogs(c.dialogs);
    Feed(c.event);
    EXPECT_EQ(ControlHasFocus(ViewCanvas), c.focusMovesToCanvas);
    EXPECT_EQ(ControlHasFocus(ViewScroller), !c.focusMovesToCanvas);
    const QStringList failures = DialogScriptFailures();
    EXPECT_TRUE(failures.isEmpty()) << failures.join("\n").toStdString();
    quitRequested = 0;
  }
}

TEST_F(Dispatching, WheelClampsZoomWithoutPicture) {
  Feed(WheelTurned(-120));
  EXPECT_EQ(zoom, 1);
  for (int i = 0; i < 12; ++i)
    Feed(WheelTurned(120));
  EXPECT_EQ(zoom, 10);
  EXPECT_EQ(StatusText(1), "Zoom: 1x1"); // without a picture nothing on screen changes
  Feed(WheelTurned(0));
  EXPECT_EQ(zoom, 10);
  Feed(WheelTurned(-360)); // three notches in one message are one step
  EXPECT_EQ(zoom, 9);
}

TEST_F(Dispatching, ReleaseWithoutPressChangesNothing) {
  OpenPicture(PatternPicture(32, 32));
  const QImage before = WorkPicture();
  Feed(GadgetAt(ViewCanvas, GadgetLeftReleased, 20, 20));
  EXPECT_EQ(WorkPicture(), before);
  EXPECT_EQ(remapped, 0);
  EXPECT_FALSE(ControlEnabled(ResetMapButton));
  for (int value : {fromCol, fromRow, toCol, toRow})
    EXPECT_EQ(value, -1);
}

TEST_F(Dispatching, CloseEventOnlyRequestsQuitting) {
  OpenPicture(PatternPicture(32, 32));
  Feed(SimpleEvent(CloseEvent));
  EXPECT_EQ(quitRequested, 1);
  EXPECT_TRUE(ImageExists(workImage));
}

TEST_F(Dispatching, MenuItemsWorkWithoutPicture) {
  ScriptDialogs({Cancelled(OpenFileDialog, "Please choose file to open..")});
  for (int id : {MenuOpenImage, MenuSaveImage, MenuOpenMap, MenuSaveMap, MenuResetMap})
    Feed(MenuChosen(id));
  EXPECT_FALSE(ImageExists(workImage));
  EXPECT_EQ(remapped, 0);
  EXPECT_EQ(tileCols, 0); // Reset Map without a picture leaves a map with bounds 0 and 0
  EXPECT_EQ(tileRows, 0);
}

using Ending = AppTest;

TEST_F(Ending, CloseBoxEndsTheLoopWithExitCodeZero) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        OpenPicture(PatternPicture(32, 32));
        PostEvent(SimpleEvent(CloseEvent));
        EventLoop();
      },
      ::testing::ExitedWithCode(0), "");
}

TEST_F(Ending, QuitEndsAtOnceWithExitCodeZero) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        PostEvent(MenuChosen(MenuQuit));
        PostEvent(MenuChosen(MenuAbout)); // never reached: Quit does not return
        EventLoop();
      },
      ::testing::ExitedWithCode(0), "");
}
