#include "xsession.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QThread>
#include <csignal>
#include <gtest/gtest.h>
#include <sys/prctl.h>

namespace e2e {

namespace {

constexpr int firstDisplay = 90;
constexpr int displaysToTry = 200;
constexpr int pollIntervalMs = 50;
constexpr int stopTimeoutMs = 5000;

// The program's own layout, measured from the top left of its client area.
constexpr int viewMargin = 5; // the scroll area's distance from the client area's left and right edges
constexpr int viewTop = 30;   // the scroll area's top
const Rgb viewBackground{128, 128, 128};

// A display number is taken while its lock file or its socket exists.
bool DisplayTaken(int display) {
  return QFileInfo::exists(QString("/tmp/.X%1-lock").arg(display)) ||
         QFileInfo::exists(QString("/tmp/.X11-unix/X%1").arg(display));
}

// Children die with the test binary, even when it is killed (a test timeout): the
// server gets SIGTERM so it removes its lock file and socket.
std::unique_ptr<QProcess> NewChild(int deathSignal) {
  auto child = std::make_unique<QProcess>();
  child->setChildProcessModifier([deathSignal] { prctl(PR_SET_PDEATHSIG, deathSignal); });
  return child;
}

void Stop(QProcess *child, bool politely) {
  if (!child || child->state() == QProcess::NotRunning)
    return;
  if (politely) {
    child->terminate();
    if (child->waitForFinished(stopTimeoutMs))
      return;
  }
  child->kill();
  child->waitForFinished(stopTimeoutMs);
}

QString ReadLog(const QString &path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly))
    return QString();
  return QString::fromUtf8(file.readAll());
}

std::optional<WindowId> FirstWindowId(const QByteArray &output) {
  bool ok = false;
  const WindowId id = output.split('\n').value(0).trimmed().toULong(&ok);
  return ok ? std::optional(id) : std::nullopt;
}

// The number after "label" in xwininfo's report, or nothing.
std::optional<int> ReportedNumber(const QString &report, const QString &label) {
  const QRegularExpression pattern(QRegularExpression::escape(label) + R"(\s*(-?\d+))");
  const QRegularExpressionMatch match = pattern.match(report);
  return match.hasMatch() ? std::optional(match.captured(1).toInt()) : std::nullopt;
}

} // namespace

bool WaitFor(const std::function<bool()> &predicate, int timeoutMs) {
  QElapsedTimer clock;
  clock.start();
  for (;;) {
    if (predicate())
      return true;
    if (clock.elapsed() >= timeoutMs)
      return false;
    QThread::msleep(pollIntervalMs);
  }
}

Rgb PixelAt(const QImage &screen, QPoint point) {
  if (!screen.valid(point))
    return Rgb{-1, -1, -1};
  const QRgb pixel = screen.pixel(point);
  return Rgb{qRed(pixel), qGreen(pixel), qBlue(pixel)};
}

void PrintTo(const Rgb &colour, std::ostream *out) {
  *out << "(" << colour.red << "," << colour.green << "," << colour.blue << ")";
}

XSession::XSession(QString artifactPrefix) : artifactPrefix(std::move(artifactPrefix)) {
  QDir(tempDir.path()).mkpath("home");
  QDir(tempDir.path()).mkpath("runtime");
  QFile::setPermissions(tempDir.filePath("runtime"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
  QDir().mkpath(QFileInfo(this->artifactPrefix).path());
}

XSession::~XSession() { StopAll(); }

QProcessEnvironment XSession::ChildEnvironment() const {
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  // Nothing of the desktop the tests are started from reaches the programs on our display.
  for (const QString &name : environment.keys())
    if (name.startsWith("QT_") || name.startsWith("XDG_") || name.startsWith("LC_"))
      environment.remove(name);
  for (const char *name : {"WAYLAND_DISPLAY", "DBUS_SESSION_BUS_ADDRESS", "XAUTHORITY", "SESSION_MANAGER"})
    environment.remove(name);
  environment.insert("DISPLAY", QString(":%1").arg(displayNumber));
  environment.insert("QT_QPA_PLATFORM", "xcb");
  environment.insert("LANG", "C.UTF-8");
  environment.insert("HOME", tempDir.filePath("home"));
  environment.insert("XDG_RUNTIME_DIR", tempDir.filePath("runtime"));
  environment.insert("XDG_CONFIG_HOME", tempDir.filePath("home/.config"));
  environment.insert("XDG_CACHE_HOME", tempDir.filePath("home/.cache"));
  environment.insert("XDG_DATA_HOME", tempDir.filePath("home/.local/share"));
  return environment;
}

bool XSession::StartServer(int display) {
  server = NewChild(SIGTERM);
  server->setStandardErrorFile(tempDir.filePath(QString("xvfb-%1.log").arg(display)));
  // -displayfd 1: the server writes its display number to standard output once it
  // accepts connections, which is the moment to go on.
  server->start("Xvfb", {QString(":%1").arg(display), "-screen", "0", "1280x1024x24", "-nolisten", "tcp", "-noreset",
                         "-displayfd", "1"});
  if (!server->waitForStarted(defaultTimeoutMs))
    return false;
  QByteArray announced;
  const bool ready = WaitFor([&] {
    server->waitForReadyRead(pollIntervalMs);
    announced += server->readAllStandardOutput();
    return announced.contains('\n') || server->state() == QProcess::NotRunning;
  });
  if (ready && announced.trimmed() == QByteArray::number(display) && server->state() == QProcess::Running)
    return true;
  Stop(server.get(), true); // another server took the number first, or it failed
  return false;
}

bool XSession::StartDisplay() {
  QStringList missing;
  for (const char *tool : {"Xvfb", "openbox", "xdotool", "xwininfo", "xprop", "import"})
    if (QStandardPaths::findExecutable(tool).isEmpty())
      missing << tool;
  if (!missing.isEmpty()) {
    ADD_FAILURE() << "missing tools: " << missing.join(", ").toStdString()
                  << " (scripts/install-deps.sh installs them)";
    return false;
  }
  for (int display = firstDisplay; display < firstDisplay + displaysToTry && displayNumber < 0; ++display)
    if (!DisplayTaken(display) && StartServer(display))
      displayNumber = display;
  if (displayNumber < 0) {
    ADD_FAILURE() << "no free X display between :" << firstDisplay << " and :" << firstDisplay + displaysToTry - 1;
    return false;
  }
  windowManager = NewChild(SIGKILL);
  windowManager->setProcessEnvironment(ChildEnvironment());
  windowManager->setProcessChannelMode(QProcess::MergedChannels);
  windowManager->setStandardOutputFile(tempDir.filePath("openbox.log"));
  windowManager->start("openbox", {"--config-file", ZIRF_E2E_OPENBOX_CONFIG, "--sm-disable"});
  if (!windowManager->waitForStarted(defaultTimeoutMs))
    return false;
  // Openbox announces itself on the root window once it manages windows.
  return WaitFor([&] {
    return windowManager->state() == QProcess::Running &&
           RunTool("xprop", {"-root", "_NET_SUPPORTING_WM_CHECK"}).output.contains("window id");
  });
}

bool XSession::StartProgram() {
  program = NewChild(SIGKILL);
  program->setProcessEnvironment(ChildEnvironment());
  program->setWorkingDirectory(tempDir.filePath("home"));
  program->setProcessChannelMode(QProcess::MergedChannels);
  program->setStandardOutputFile(tempDir.filePath("zirf.log"));
  program->start(ZIRF_PROGRAM, {});
  if (!program->waitForStarted(defaultTimeoutMs))
    return false;
  const std::optional<WindowId> window = FindWindow("^ZIRF 1\\.0");
  if (!window)
    return false;
  mainWindow = *window;
  return WaitForFocus(mainWindow) && WaitFor([&] { return MeasureLayout(); });
}

// Finds the empty grey view around the middle of the main window and derives the client
// area from it: the view's frame is as wide at the left as at the top, and the scroll
// area sits viewMargin from the left and viewTop below the client area's top.
bool XSession::MeasureLayout() {
  const QRect inner = InnerRect(mainWindow);
  const QImage screen = GrabScreen();
  const QPoint middle = inner.center();
  if (inner.isEmpty() || PixelAt(screen, middle) != viewBackground)
    return false; // not drawn yet
  auto grey = [&](int x, int y) { return PixelAt(screen, QPoint(x, y)) == viewBackground; };
  int left = middle.x(), right = middle.x(), top = middle.y(), bottom = middle.y();
  while (grey(left - 1, middle.y()))
    --left;
  while (grey(right + 1, middle.y()))
    ++right;
  while (grey(middle.x(), top - 1))
    --top;
  while (grey(middle.x(), bottom + 1))
    ++bottom;
  viewRect = QRect(QPoint(left, top), QPoint(right, bottom));
  const int frame = left - inner.left() - viewMargin;
  clientOrigin = QPoint(inner.left(), top - frame - viewTop);
  return true;
}

bool XSession::ProgramRunning() const { return program && program->state() != QProcess::NotRunning; }

std::optional<int> XSession::WaitForProgramExit(int timeoutMs) {
  if (!program)
    return std::nullopt;
  if (program->state() != QProcess::NotRunning && !program->waitForFinished(timeoutMs))
    return std::nullopt;
  if (program->exitStatus() == QProcess::CrashExit) {
    ADD_FAILURE() << "the program crashed\n" << Diagnostics().toStdString();
    return std::nullopt;
  }
  return program->exitCode();
}

// False when the search itself went wrong: xdotool walks the whole window tree and
// gives up with an X error when a window vanishes under it (a closing dialog).
bool XSession::SearchWindows(const QString &titlePattern, std::optional<WindowId> &first) {
  const ToolResult search = RunTool("xdotool", {"search", "--onlyvisible", "--name", titlePattern});
  first = FirstWindowId(search.output);
  return search.finished && !search.errors.contains("X Error");
}

std::optional<WindowId> XSession::FindWindow(const QString &titlePattern, int timeoutMs) {
  std::optional<WindowId> found;
  WaitFor([&] { return SearchWindows(titlePattern, found) && found; }, timeoutMs);
  return found;
}

bool XSession::WaitForNoWindow(const QString &titlePattern, int timeoutMs) {
  std::optional<WindowId> found;
  return WaitFor([&] { return SearchWindows(titlePattern, found) && !found; }, timeoutMs);
}

QString XSession::WindowTitle(WindowId window) {
  QString title = QString::fromUtf8(RunTool("xdotool", {"getwindowname", QString::number(window)}).output);
  if (title.endsWith('\n'))
    title.chop(1);
  return title;
}

// xwininfo, not xdotool getwindowgeometry, which counts the frame's offset twice under
// a reparenting window manager.
QRect XSession::InnerRect(WindowId window) {
  const QString report = QString::fromUtf8(RunTool("xwininfo", {"-id", QString::number(window)}).output);
  const auto x = ReportedNumber(report, "Absolute upper-left X:");
  const auto y = ReportedNumber(report, "Absolute upper-left Y:");
  const auto width = ReportedNumber(report, "Width:");
  const auto height = ReportedNumber(report, "Height:");
  if (!x || !y || !width || !height)
    return QRect();
  return QRect(*x, *y, *width, *height);
}

QRect XSession::FrameRect(WindowId window) {
  // "_NET_FRAME_EXTENTS(CARDINAL) = 1, 1, 20, 5": left, right, top, bottom
  const QByteArray report = RunTool("xprop", {"-id", QString::number(window), "_NET_FRAME_EXTENTS"}).output;
  const QRegularExpressionMatch match =
      QRegularExpression(R"(=\s*(\d+),\s*(\d+),\s*(\d+),\s*(\d+))").match(QString::fromUtf8(report));
  if (!match.hasMatch())
    return QRect();
  const int left = match.captured(1).toInt(), right = match.captured(2).toInt();
  const int top = match.captured(3).toInt(), bottom = match.captured(4).toInt();
  return InnerRect(window).adjusted(-left, -top, right, bottom);
}

// Openbox's themes draw square buttons that nearly fill the title bar, the close button
// last at its right end: its centre lies half a title bar's height in from the frame's
// top right corner.
QPoint XSession::CloseButton(WindowId window) {
  const QRect frame = FrameRect(window);
  const int titleBar = InnerRect(window).top() - frame.top();
  return QPoint(frame.right() - titleBar / 2, frame.top() + titleBar / 2);
}

std::optional<WindowId> XSession::FocusedWindow() {
  return FirstWindowId(RunTool("xdotool", {"getwindowfocus"}).output);
}

bool XSession::WaitForFocus(WindowId window, int timeoutMs) {
  return WaitFor([&] { return FocusedWindow() == window; }, timeoutMs);
}

bool XSession::Key(const QString &keys) {
  return RunTool("xdotool", QStringList{"key", "--delay", "30"} + keys.split(' ', Qt::SkipEmptyParts)).Succeeded();
}

bool XSession::Type(const QString &text) {
  return RunTool("xdotool", {"type", "--delay", "20", "--", text}).Succeeded();
}

bool XSession::MoveMouse(QPoint screen) {
  return RunTool("xdotool", {"mousemove", "--sync", QString::number(screen.x()), QString::number(screen.y())})
      .Succeeded();
}

bool XSession::Click(int button) { return RunTool("xdotool", {"click", QString::number(button)}).Succeeded(); }
bool XSession::Press(int button) { return RunTool("xdotool", {"mousedown", QString::number(button)}).Succeeded(); }
bool XSession::Release(int button) { return RunTool("xdotool", {"mouseup", QString::number(button)}).Succeeded(); }

bool XSession::ClickAt(QPoint screen, int button) { return MoveMouse(screen) && Click(button); }

bool XSession::Drag(QPoint from, QPoint to) {
  constexpr int steps = 4; // a real hand passes through the pixels between
  if (!MoveMouse(from) || !Press(1))
    return false;
  bool moved = true;
  for (int step = 1; step <= steps && moved; ++step)
    moved = MoveMouse(from + (to - from) * step / steps);
  return Release(1) && moved;
}

bool XSession::Wheel(WheelDirection direction, int count) {
  const QString button = direction == WheelDirection::Up ? "4" : "5";
  return RunTool("xdotool", {"click", "--repeat", QString::number(count), "--delay", "50", button}).Succeeded();
}

QImage XSession::GrabScreen() {
  const QString path = tempDir.filePath("screen.png");
  QFile::remove(path);
  if (!RunTool("import", {"-window", "root", path}).Succeeded())
    return QImage();
  return QImage(path);
}

QImage XSession::Screenshot(const QString &name) {
  const QImage screen = GrabScreen();
  const QString path = artifactPrefix + "-" + name + ".png";
  if (screen.isNull() || !screen.save(path))
    ADD_FAILURE() << "cannot keep the screenshot " << path.toStdString();
  return screen;
}

QString XSession::Diagnostics() const {
  QString text = QString("display :%1\n").arg(displayNumber);
  for (const QString &log : QDir(tempDir.path()).entryList({"*.log"}, QDir::Files, QDir::Name))
    text += QString("--- %1:\n%2").arg(log, ReadLog(tempDir.filePath(log)));
  return text;
}

ToolResult XSession::RunTool(const QString &program, const QStringList &arguments, int timeoutMs) {
  ToolResult result;
  QProcess tool;
  tool.setProcessEnvironment(ChildEnvironment());
  tool.start(program, arguments);
  if (!tool.waitForStarted(timeoutMs))
    return result;
  if (!tool.waitForFinished(timeoutMs)) {
    tool.kill();
    tool.waitForFinished(stopTimeoutMs);
    return result;
  }
  result.finished = tool.exitStatus() == QProcess::NormalExit;
  result.exitCode = tool.exitCode();
  result.output = tool.readAllStandardOutput();
  result.errors = tool.readAllStandardError();
  if (!result.errors.isEmpty()) {
    QFile log(tempDir.filePath("tools.log"));
    if (log.open(QIODevice::Append))
      log.write(program.toUtf8() + " " + arguments.join(' ').toUtf8() + ":\n" + result.errors);
  }
  return result;
}

void XSession::StopProgram() { Stop(program.get(), false); }

void XSession::StopAll() {
  StopProgram();
  Stop(windowManager.get(), false);
  Stop(server.get(), true);
}

} // namespace e2e

// ---- Pictures on the screen, menus and file dialogs (pictures, tiles and map file) ----

#include <cstdlib>

namespace e2e {

namespace {

const Rgb viewGrey{128, 128, 128};
constexpr int menuOpenTimeoutMs = 5000;
constexpr int dialogCloseTimeoutMs = 5000;
constexpr int dialogAccepts = 2; // a name box's completion list may eat the first Return

Rgb RgbOf(QRgb pixel) { return Rgb{qRed(pixel), qGreen(pixel), qBlue(pixel)}; }

QString Describe(QPoint point, Rgb shown, Rgb wanted) {
  return QString("at (%1,%2): (%3,%4,%5) instead of (%6,%7,%8)")
      .arg(point.x())
      .arg(point.y())
      .arg(shown.red)
      .arg(shown.green)
      .arg(shown.blue)
      .arg(wanted.red)
      .arg(wanted.green)
      .arg(wanted.blue);
}

// The menu bar lies between the window's inner top and the client area.
QRect MenuBarRect(XSession &x) {
  const QRect inner = x.InnerRect(x.MainWindow());
  return QRect(inner.left(), inner.top(), inner.width(), x.ClientOrigin().y() - inner.top());
}

} // namespace

QString TestArtifactPrefix() {
  const auto *test = ::testing::UnitTest::GetInstance()->current_test_info();
  const QString name = QString("%1-%2").arg(test->test_suite_name(), test->name()).replace('/', '-');
  return QString(ZIRF_E2E_ARTIFACTS) + "/" + name;
}

QImage Enlarged(const QImage &picture, int zoom) {
  QImage big(picture.width() * zoom, picture.height() * zoom, QImage::Format_RGB32);
  for (int y = 0; y < big.height(); ++y)
    for (int x = 0; x < big.width(); ++x)
      big.setPixel(x, y, picture.pixel(x / zoom, y / zoom));
  return big;
}

QRect NonGreyArea(const QImage &screen, QRect view) {
  QRect found;
  for (int y = view.top(); y <= view.bottom(); ++y)
    for (int x = view.left(); x <= view.right(); ++x)
      if (PixelAt(screen, QPoint(x, y)) != viewGrey)
        found |= QRect(x, y, 1, 1);
  return found;
}

QString AreaDifference(const QImage &screen, QPoint topLeft, const QImage &expected) {
  int differing = 0;
  QString first;
  for (int y = 0; y < expected.height(); ++y)
    for (int x = 0; x < expected.width(); ++x) {
      const Rgb shown = PixelAt(screen, topLeft + QPoint(x, y));
      const Rgb wanted = RgbOf(expected.pixel(x, y));
      if (shown != wanted && differing++ == 0)
        first = Describe(QPoint(x, y), shown, wanted);
    }
  return differing == 0 ? QString() : QString("%1 pixels differ, the first %2").arg(differing).arg(first);
}

QString DifferenceOutside(const QImage &before, const QImage &after, QRect area, QRect except) {
  int differing = 0;
  QString first;
  for (int y = area.top(); y <= area.bottom(); ++y)
    for (int x = area.left(); x <= area.right(); ++x) {
      const QPoint point(x, y);
      if (except.contains(point))
        continue;
      const Rgb now = PixelAt(after, point), earlier = PixelAt(before, point);
      if (now != earlier && differing++ == 0)
        first = Describe(point, now, earlier);
    }
  return differing == 0 ? QString() : QString("%1 pixels differ, the first %2").arg(differing).arg(first);
}

// Qt centres a smaller widget in a scroll area at half the room minus half the widget,
// each halved on its own; either rounding of the room is accepted.
QString WaitForPictureInView(XSession &x, const QImage &expected, QPoint *topLeft, int timeoutMs) {
  const QRect view = x.ViewRect();
  const QPoint centred(view.left() + view.width() / 2 - expected.width() / 2,
                       view.top() + view.height() / 2 - expected.height() / 2);
  QString difference = "no screenshot";
  const bool shown = WaitFor(
      [&] {
        const QImage screen = x.GrabScreen();
        const QRect area = NonGreyArea(screen, view);
        if (area.size() != expected.size()) {
          difference = QString("the picture fills %1x%2 at (%3,%4) instead of %5x%6")
                           .arg(area.width())
                           .arg(area.height())
                           .arg(area.left())
                           .arg(area.top())
                           .arg(expected.width())
                           .arg(expected.height());
          return false;
        }
        const QPoint offset = area.topLeft() - centred;
        if (std::abs(offset.x()) > 1 || std::abs(offset.y()) > 1) {
          difference =
              QString("the picture is %1,%2 pixels away from the view's centre").arg(offset.x()).arg(offset.y());
          return false;
        }
        difference = AreaDifference(screen, area.topLeft(), expected);
        if (topLeft)
          *topLeft = area.topLeft();
        return difference.isEmpty();
      },
      timeoutMs);
  return shown ? QString() : difference;
}

// A title's text differs from the bar's background, read at the bar's right end where no
// title stands; gaps between titles are wider than those between letters.
std::vector<QRect> MenuTitles(XSession &x, const QImage &screen) {
  constexpr int letterGap = 5;
  const QRect bar = MenuBarRect(x);
  auto textInColumn = [&](int column) {
    for (int y = bar.top() + 2; y < bar.bottom() - 1; ++y)
      if (PixelAt(screen, QPoint(column, y)) != PixelAt(screen, QPoint(bar.right() - 2, y)))
        return true;
    return false;
  };
  std::vector<QRect> titles;
  int gap = letterGap;
  for (int column = bar.left() + 1; column < bar.right() - 2; ++column) {
    if (!textInColumn(column)) {
      ++gap;
      continue;
    }
    if (gap >= letterGap)
      titles.emplace_back(column, bar.top(), 1, bar.height());
    else
      titles.back().setRight(column);
    gap = 0;
  }
  return titles;
}

// A menu opened by a click has no current item: the first Down selects its first item.
bool ChooseMenuItem(XSession &x, int menu, int item) {
  const QImage before = x.GrabScreen();
  const std::vector<QRect> titles = MenuTitles(x, before);
  if (menu >= int(titles.size()))
    return false;
  const QRect title = titles[menu];
  if (!x.ClickAt(title.center()))
    return false;
  // The open menu covers the controls' row under its title.
  const QRect below(title.left(), x.ClientOrigin().y() + 2, 40, 20);
  const bool opened =
      WaitFor([&] { return !DifferenceOutside(before, x.GrabScreen(), below, QRect()).isEmpty(); }, menuOpenTimeoutMs);
  if (!opened)
    return false;
  QStringList keys;
  for (int step = 0; step <= item; ++step)
    keys << "Down";
  return x.Key(keys.join(' ') + " Return");
}

bool AnswerFileDialog(XSession &x, const QString &titlePattern, const QString &path) {
  const std::optional<WindowId> dialog = x.FindWindow(titlePattern);
  if (!dialog || !x.WaitForFocus(*dialog) || !x.Type(path))
    return false;
  for (int accept = 0; accept < dialogAccepts; ++accept) {
    // A second Return only while the dialog still has the focus: a slow close must not
    // let it answer whatever comes next.
    if ((accept > 0 && !x.WaitForFocus(*dialog, 0)) || !x.Key("Return"))
      return x.WaitForNoWindow(titlePattern, dialogCloseTimeoutMs);
    if (x.WaitForNoWindow(titlePattern, dialogCloseTimeoutMs))
      return true;
  }
  return false;
}

} // namespace e2e
