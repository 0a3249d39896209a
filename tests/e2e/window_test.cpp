// The program in a real window under a real window manager, driven by real keys and
// clicks: its title and size, the empty grey view, the file dialog, and both ways of
// closing the window.
#include "xsession.h"

#include <gtest/gtest.h>

namespace e2e {
namespace {

const QString mainTitlePattern = "^ZIRF 1\\.0";
const QString openDialogPattern = "^Please choose file to open\\.\\.$";
const Rgb viewGrey{128, 128, 128};

// <artifacts>/<suite>-<test>, with the slashes of parameterised names made dashes.
QString ArtifactPrefix() {
  const auto *test = ::testing::UnitTest::GetInstance()->current_test_info();
  const QString name = QString("%1-%2").arg(test->test_suite_name(), test->name()).replace('/', '-');
  return QString(ZIRF_E2E_ARTIFACTS) + "/" + name;
}

class ProgramWindow : public ::testing::Test {
protected:
  void SetUp() override {
    ASSERT_TRUE(x.StartDisplay()) << x.Diagnostics().toStdString();
    ASSERT_TRUE(x.StartProgram()) << x.Diagnostics().toStdString();
  }

  XSession x{ArtifactPrefix()};
};

TEST_F(ProgramWindow, OpensWithItsTitleItsInnerSizeAndTheGreyView) {
  const QImage screen = x.Screenshot("started");
  EXPECT_EQ(x.WindowTitle(x.MainWindow()).toStdString(),
            QString::fromUtf16(u"ZIRF 1.0 \u2013 tile sheet editor").toStdString());
  const QRect inner = x.InnerRect(x.MainWindow());
  EXPECT_EQ(inner.width(), 640);
  EXPECT_EQ(inner.height(), 480) << "menu bar included";
  EXPECT_GT(x.FrameRect(x.MainWindow()).height(), inner.height()) << "no title bar from the window manager";

  // The middle of the window lies in the view whatever the bars' heights.
  EXPECT_EQ(PixelAt(screen, inner.center()), viewGrey);
  // The view is centred across the window with 5 pixels of window background each side
  // of its frame, and starts 30 pixels below the menu bar.
  const QRect view = x.ViewRect();
  EXPECT_EQ(view.left() - inner.left(), inner.right() - view.right());
  const int frame = view.left() - inner.left() - 5;
  EXPECT_GE(frame, 1);
  EXPECT_LE(frame, 3);
  EXPECT_NE(PixelAt(screen, QPoint(inner.left() + 2, view.center().y())), viewGrey) << "left margin";
  const int menuBar = x.ClientOrigin().y() - inner.top();
  EXPECT_GE(menuBar, 15);
  EXPECT_LE(menuBar, 40);
}

TEST_F(ProgramWindow, CtrlOOpensTheFileDialogAndEscapeCancelsIt) {
  ASSERT_TRUE(x.Key("ctrl+o"));
  const std::optional<WindowId> dialog = x.FindWindow(openDialogPattern);
  ASSERT_TRUE(dialog) << "no window titled \"Please choose file to open..\" after Ctrl+O\n"
                      << x.Diagnostics().toStdString();
  EXPECT_NE(*dialog, x.MainWindow());
  EXPECT_TRUE(x.WaitForFocus(*dialog));
  x.Screenshot("file-dialog");

  ASSERT_TRUE(x.Key("Escape"));
  EXPECT_TRUE(x.WaitForNoWindow(openDialogPattern)) << "the file dialog is still open";
  EXPECT_TRUE(x.ProgramRunning());
  EXPECT_EQ(x.FindWindow(mainTitlePattern), x.MainWindow());
  EXPECT_TRUE(x.WaitForFocus(x.MainWindow()));
  const QImage screen = x.Screenshot("dialog-cancelled");
  EXPECT_EQ(PixelAt(screen, x.InnerRect(x.MainWindow()).center()), viewGrey) << "no picture was opened";
}

struct CloseWay {
  const char *name;
  bool (*close)(XSession &x);
};

class ClosingTheWindow : public ProgramWindow, public ::testing::WithParamInterface<CloseWay> {};

TEST_P(ClosingTheWindow, EndsTheProgramWithExitCodeZero) {
  x.Screenshot("before-close");
  ASSERT_TRUE(GetParam().close(x));
  EXPECT_EQ(x.WaitForProgramExit(5000), std::optional(0)) << x.Diagnostics().toStdString();
  EXPECT_TRUE(x.WaitForNoWindow(mainTitlePattern));
}

INSTANTIATE_TEST_SUITE_P(
    ByKeyAndByButton, ClosingTheWindow,
    ::testing::Values(CloseWay{"AltF4", [](XSession &x) { return x.Key("alt+F4"); }},
                      CloseWay{"CloseButton", [](XSession &x) { return x.ClickAt(x.CloseButton(x.MainWindow())); }}),
    [](const ::testing::TestParamInfo<CloseWay> &info) { return std::string(info.param.name); });

} // namespace
} // namespace e2e
