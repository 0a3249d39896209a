// A private X display with a window manager, the real program on it, and real input.
//
// XSession starts Xvfb on a free display number, runs openbox inside it (so windows get
// a title bar with a close button and Alt+F4 closes the active window), starts the built
// program there, and drives it with xdotool as a user would: keys, typing, pointer moves,
// clicks, drags and wheel steps. Screenshots come from ImageMagick's import and are kept
// as test artefacts. Everything it started is stopped when it is destroyed, also after a
// failed check.
//
// Every wait is a bounded poll; none sleeps for a fixed time.
#pragma once

#include <QImage>
#include <QPoint>
#include <QProcess>
#include <QRect>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <functional>
#include <memory>
#include <optional>
#include <ostream>

namespace e2e {

using WindowId = unsigned long; // an X window id, as xdotool prints it

constexpr int defaultTimeoutMs = 10000;

// Polls predicate every few milliseconds until it holds or timeoutMs has passed.
// True when it held.
bool WaitFor(const std::function<bool()> &predicate, int timeoutMs = defaultTimeoutMs);

struct ToolResult {
  bool finished = false; // ran to its end within the time allowed
  int exitCode = -1;
  QByteArray output; // standard output
  QByteArray errors; // standard error
  bool Succeeded() const { return finished && exitCode == 0; }
};

enum class WheelDirection { Up, Down };

class XSession {
public:
  explicit XSession(QString artifactPrefix);
  ~XSession();
  XSession(const XSession &) = delete;
  XSession &operator=(const XSession &) = delete;

  // Xvfb on a free display, then openbox; true once the window manager runs.
  bool StartDisplay();
  // The program, with a clean environment and this session's temporary folder as its
  // working directory and home; true once its main window is visible and focused and
  // its empty view is drawn. Measures the client area on the way (ClientOrigin).
  bool StartProgram();

  // The program's process: running, and how it ended.
  bool ProgramRunning() const;
  // The exit code once the program has ended normally within timeoutMs; nothing when it
  // is still running or crashed (a crash is reported as a test failure).
  std::optional<int> WaitForProgramExit(int timeoutMs = 5000);

  // The first visible window whose title matches titlePattern (an extended regular
  // expression, as xdotool search takes it), waiting up to timeoutMs for one to appear.
  std::optional<WindowId> FindWindow(const QString &titlePattern, int timeoutMs = defaultTimeoutMs);
  // True once no visible window matches titlePattern, waiting up to timeoutMs.
  bool WaitForNoWindow(const QString &titlePattern, int timeoutMs = defaultTimeoutMs);
  QString WindowTitle(WindowId window);
  // The window's inner area (what the program draws, menu bar included) on the screen.
  QRect InnerRect(WindowId window);
  // The window including the window manager's frame (title bar and borders).
  QRect FrameRect(WindowId window);
  // Centre of the close button at the right end of the window manager's title bar.
  QPoint CloseButton(WindowId window);
  std::optional<WindowId> FocusedWindow();
  bool WaitForFocus(WindowId window, int timeoutMs = defaultTimeoutMs);

  // The main window found by StartProgram.
  WindowId MainWindow() const { return mainWindow; }
  // Screen position of the main window's client area: the part below the menu bar
  // that the program measures its controls from (the Add Grid button's centre is at
  // ClientOrigin() + QPoint(270, 15)).
  QPoint ClientOrigin() const { return clientOrigin; }
  // The inside of the view (the scroll area without its frame) on the screen, as
  // measured at start.
  QRect ViewRect() const { return viewRect; }

  // Input, sent through the XTEST extension to whatever window has the focus or is
  // under the pointer, as real devices would.
  bool Key(const QString &keys);  // one or more xdotool key names: "ctrl+o", "Escape Return"
  bool Type(const QString &text); // types text character by character
  bool MoveMouse(QPoint screen);
  bool Click(int button = 1); // 1 left, 2 middle, 3 right
  bool Press(int button = 1);
  bool Release(int button = 1);
  bool ClickAt(QPoint screen, int button = 1);
  // Presses the left button at from, moves to to in a few steps and releases it there.
  bool Drag(QPoint from, QPoint to);
  // count clicks of the wheel with the pointer where it is.
  bool Wheel(WheelDirection direction, int count = 1);

  // The whole screen now, also saved as <artifacts>/<prefix>-<name>.png.
  QImage Screenshot(const QString &name);
  // The whole screen now, kept nowhere (for polling).
  QImage GrabScreen();

  // What the display's tools and processes wrote, for a failure message.
  QString Diagnostics() const;

  // Runs an X tool on this session's display.
  ToolResult RunTool(const QString &program, const QStringList &arguments, int timeoutMs = defaultTimeoutMs);

private:
  bool StartServer(int display);
  bool MeasureLayout();
  bool SearchWindows(const QString &titlePattern, std::optional<WindowId> &first);
  QProcessEnvironment ChildEnvironment() const;
  void StopProgram();
  void StopAll();

  QString artifactPrefix;
  QTemporaryDir tempDir;
  int displayNumber = -1;
  std::unique_ptr<QProcess> server;
  std::unique_ptr<QProcess> windowManager;
  std::unique_ptr<QProcess> program;
  WindowId mainWindow = 0;
  QPoint clientOrigin;
  QRect viewRect;
};

struct Rgb {
  int red, green, blue;
  bool operator==(const Rgb &) const = default;
};
// A pixel of a screenshot, or (-1, -1, -1) outside it.
Rgb PixelAt(const QImage &screen, QPoint point);
void PrintTo(const Rgb &colour, std::ostream *out);

} // namespace e2e

// ---- Pictures on the screen, menus and file dialogs (pictures, tiles and map file) ----

#include <vector>

namespace e2e {

// <artifacts>/<suite>-<test> for the running test, parameterised names made file names.
QString TestArtifactPrefix();

// The picture as the view shows it at zoom: every picture pixel a zoom x zoom block.
QImage Enlarged(const QImage &picture, int zoom);

// The smallest rectangle inside view holding every pixel that is not the view's grey:
// where the canvas shows a picture that has no such grey pixel. Empty when all is grey.
QRect NonGreyArea(const QImage &screen, QRect view);

// Empty when screen shows expected (red, green and blue) with its top left at topLeft;
// else how many pixels differ and where the first one lies.
QString AreaDifference(const QImage &screen, QPoint topLeft, const QImage &expected);

// Empty when the two screens are equal inside area, outside except; else the first
// difference. For "nothing but the view changed".
QString DifferenceOutside(const QImage &before, const QImage &after, QRect area, QRect except);

// Waits until the view shows expected centred in it, pixel for pixel. Empty once it does;
// else what the last screen showed instead. topLeft receives the picture's place.
QString WaitForPictureInView(XSession &x, const QImage &expected, QPoint *topLeft = nullptr,
                             int timeoutMs = defaultTimeoutMs);

// The titles of the main window's menu bar, left to right: the runs of columns in the
// bar that hold text.
std::vector<QRect> MenuTitles(XSession &x, const QImage &screen);

// Opens the menu-th menu of the bar by a click on its title and chooses its item-th item
// (separators not counted) with the arrow keys and Return, as a user may.
bool ChooseMenuItem(XSession &x, int menu, int item);

// In the file dialog whose title matches titlePattern: waits for it to have the focus,
// types path into its name box and accepts with Return. True once the dialog is gone.
bool AnswerFileDialog(XSession &x, const QString &titlePattern, const QString &path);

} // namespace e2e
