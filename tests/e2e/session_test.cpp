// Whole sessions in the real window: a grid added and the picture saved through the real
// save dialog; and a new user's session from start to quit and back: open a sheet, zoom,
// exchange tiles (one pair while the view is scrolled, one with the grid on), save the
// picture as PNG and BMP and the map, quit, start again, read both back and bring every
// tile home. Every step is checked on the screen or on disk, never inside the program.
#include "xsession.h"

#include <QColor>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <gtest/gtest.h>
#include <vector>

namespace e2e {
namespace {

const QString openDialogPattern = "^Please choose file to open\\.\\.$";
const QString saveDialogPattern = "^Please choose file to save\\.\\.$";
const QRgb magenta = qRgb(255, 0, 255);
constexpr int tileEdge = 16;
constexpr int gridPitch = tileEdge + 1;
constexpr int fileMenu = 0, mapMenu = 1;
constexpr int fileQuitItem = 2, mapOpenItem = 0, mapSaveItem = 1;
constexpr int fileWaitMs = 5000;
// Scroll bars cover at most this much of the view's right and bottom edge.
constexpr int scrollBarRoom = 24;

// Client positions of the buttons' centres; Reset Map stands 5 pixels from the right edge.
const QPoint addGridButton(270, 15), removeGridButton(395, 15);
QPoint ResetMapButton(int clientWidth) { return QPoint(clientWidth - 125 + 60, 15); }

// Every whole-tile pixel its own colour: red tells the column and the x inside the tile,
// green the row and the y, so any shift, mirror or red/blue swap shows. Partial edge tiles
// repeat colours of the first column or row. No pixel is the view's grey or magenta.
QImage Sheet(int width, int height) {
  QImage sheet(width, height, QImage::Format_RGB888);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      const int col = x / tileEdge, row = y / tileEdge;
      sheet.setPixel(
          x, y,
          qRgb((16 * col + x % tileEdge) & 255, (16 * row + y % tileEdge) & 255, 40 + (5 * col + 11 * row) % 200));
    }
  return sheet;
}

// What the picture is after Add Grid: a magenta line right of and below every whole tile.
QImage WithGrid(const QImage &picture) {
  const int cols = picture.width() / tileEdge, rows = picture.height() / tileEdge;
  QImage result(cols * gridPitch, rows * gridPitch, QImage::Format_RGB32);
  for (int y = 0; y < result.height(); ++y)
    for (int x = 0; x < result.width(); ++x) {
      const bool line = x % gridPitch == tileEdge || y % gridPitch == tileEdge;
      result.setPixel(
          x, y,
          line ? magenta
               : picture.pixel(x / gridPitch * tileEdge + x % gridPitch, y / gridPitch * tileEdge + y % gridPitch));
    }
  return result;
}

// What the picture is after Remove Grid: every cell's last column and row taken out.
QImage WithoutGrid(const QImage &picture) {
  const int cols = picture.width() / gridPitch, rows = picture.height() / gridPitch;
  QImage result(cols * tileEdge, rows * tileEdge, QImage::Format_RGB32);
  for (int y = 0; y < result.height(); ++y)
    for (int x = 0; x < result.width(); ++x)
      result.setPixel(x, y,
                      picture.pixel(x / tileEdge * gridPitch + x % tileEdge, y / tileEdge * gridPitch + y % tileEdge));
  return result;
}

// Exchanges two pitch x pitch squares of picture.
void SwapSquares(QImage &picture, int pitch, QPoint a, QPoint b) {
  for (int v = 0; v < pitch; ++v)
    for (int u = 0; u < pitch; ++u) {
      const QPoint pa = a * pitch + QPoint(u, v), pb = b * pitch + QPoint(u, v);
      const QRgb kept = picture.pixel(pa);
      picture.setPixel(pa, picture.pixel(pb));
      picture.setPixel(pb, kept);
    }
}

// Empty when the two pictures have the same size and every pixel the same red, green and
// blue, and (when opaque is set) alpha 255; else the first difference.
QString PixelDifference(const QImage &shown, const QImage &wanted, bool opaque) {
  if (shown.size() != wanted.size())
    return QString("%1x%2 instead of %3x%4")
        .arg(shown.width())
        .arg(shown.height())
        .arg(wanted.width())
        .arg(wanted.height());
  for (int y = 0; y < wanted.height(); ++y)
    for (int x = 0; x < wanted.width(); ++x) {
      const QRgb got = shown.pixel(x, y), want = wanted.pixel(x, y);
      if (qRed(got) != qRed(want) || qGreen(got) != qGreen(want) || qBlue(got) != qBlue(want))
        return QString("pixel (%1,%2) is %3 instead of %4").arg(x).arg(y).arg(QColor(got).name(), QColor(want).name());
      if (opaque && qAlpha(got) != 255)
        return QString("pixel (%1,%2) has alpha %3").arg(x).arg(y).arg(qAlpha(got));
    }
  return QString();
}

QImage Decoded(const QString &path) {
  QImage image;
  image.load(path);
  return image;
}

QByteArray FileBytes(const QString &path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The map file's bytes for these tile numbers: one decimal number and CR LF per tile.
QByteArray MapFileBytes(const std::vector<int> &numbers) {
  QByteArray bytes;
  for (int number : numbers)
    bytes += QByteArray::number(number) + "\r\n";
  return bytes;
}

// True once a file at path decodes as a picture (the program replaces files whole).
bool WaitForPictureFile(const QString &path) {
  return WaitFor([&] { return !Decoded(path).isNull(); }, fileWaitMs);
}

// Where a view that may be scrolled shows the enlarged picture: the screen position of the
// canvas's top left, found by trying every scroll position against the part of the view
// that scroll bars cannot cover; every pixel there must match. Nothing when none does.
// The place it had before (hint) is tried first.
std::optional<QPoint> CanvasOnScreen(const QImage &screen, QRect view, const QImage &enlarged,
                                     std::optional<QPoint> hint = std::nullopt) {
  const QRect visible = view.adjusted(0, 0, -scrollBarRoom, -scrollBarRoom);
  auto matches = [&](QPoint topLeft, bool everyPixel) {
    const QRect shown = QRect(topLeft, enlarged.size()) & visible;
    if (shown.width() < std::min(enlarged.width(), visible.width() / 2) ||
        shown.height() < std::min(enlarged.height(), visible.height() / 2))
      return false;
    const int step = everyPixel ? 1 : 37;
    for (int y = shown.top(); y <= shown.bottom(); y += step)
      for (int x = shown.left(); x <= shown.right(); x += step) {
        const QRgb want = enlarged.pixel(x - topLeft.x(), y - topLeft.y());
        if (PixelAt(screen, QPoint(x, y)) != Rgb{qRed(want), qGreen(want), qBlue(want)})
          return false;
      }
    return true;
  };
  if (hint && matches(*hint, false) && matches(*hint, true))
    return hint;
  for (int top = view.top() - enlarged.height(); top <= view.bottom(); ++top)
    for (int left = view.left() - enlarged.width(); left <= view.right(); ++left)
      if (matches(QPoint(left, top), false) && matches(QPoint(left, top), true))
        return QPoint(left, top);
  return std::nullopt;
}

// Lets the test see the program as a user does: what it shows, one step after another.
class Session : public ::testing::Test {
protected:
  void SetUp() override {
    ASSERT_TRUE(folder.isValid());
    ASSERT_TRUE(x.StartDisplay()) << x.Diagnostics().toStdString();
    ASSERT_TRUE(x.StartProgram()) << x.Diagnostics().toStdString();
  }

  QString Path(const QString &name) const { return folder.filePath(name); }

  QPoint Client(QPoint point) const { return x.ClientOrigin() + point; }

  // Waits until the view shows picture at zoom, scrolled or not; the canvas's top left on
  // the screen, or nothing (and a failure naming step) when it never does.
  std::optional<QPoint> WaitForView(const QImage &picture, int zoom, const QString &step) {
    const QImage enlarged = Enlarged(picture, zoom);
    std::optional<QPoint> found;
    WaitFor([&] { return (found = CanvasOnScreen(x.GrabScreen(), x.ViewRect(), enlarged, lastCanvas)).has_value(); });
    x.Screenshot(step);
    if (found)
      lastCanvas = found;
    if (!found)
      ADD_FAILURE() << "after \"" << step.toStdString() << "\" the view does not show the expected picture at zoom "
                    << zoom;
    return found;
  }

  // Drags from the middle of tile a to the middle of tile b, both in the visible view.
  bool DragTile(QPoint canvas, int pitch, int zoom, QPoint a, QPoint b) {
    const QRect visible = x.ViewRect().adjusted(0, 0, -scrollBarRoom, -scrollBarRoom);
    const QPoint from = canvas + (a * pitch + QPoint(pitch / 2, pitch / 2)) * zoom;
    const QPoint to = canvas + (b * pitch + QPoint(pitch / 2, pitch / 2)) * zoom;
    EXPECT_TRUE(visible.contains(from) && visible.contains(to))
        << "tiles (" << a.x() << "," << a.y() << ") and (" << b.x() << "," << b.y() << ") are not both in view";
    return x.Drag(from, to);
  }

  bool SaveThroughDialog(const QString &path) {
    return x.Key("ctrl+s") && AnswerFileDialog(x, saveDialogPattern, path);
  }

  // The save dialog with the second file type (BMP) chosen in its type box by the
  // keyboard: Tab goes from the name box to the type box, Down picks its next entry, and
  // Return, which the box does not take, accepts the dialog.
  bool SaveAsBmpThroughDialog(const QString &path) {
    if (!x.Key("ctrl+s"))
      return false;
    const std::optional<WindowId> dialog = x.FindWindow(saveDialogPattern);
    if (!dialog || !x.WaitForFocus(*dialog) || !x.Type(path))
      return false;
    if (!x.Key("Tab Down"))
      return false;
    x.Screenshot("bmp-type-chosen");
    return x.Key("Return") && x.WaitForNoWindow(saveDialogPattern);
  }

  QTemporaryDir folder;
  std::optional<QPoint> lastCanvas; // where the view showed the picture last
  XSession x{TestArtifactPrefix()};
};

TEST_F(Session, AddGridThenSaveWritesThePictureWithMagentaLinesAsPng) {
  const QImage sheet = Sheet(64, 32);
  ASSERT_TRUE(sheet.save(Path("sheet.png")));
  ASSERT_TRUE(x.Key("ctrl+o"));
  ASSERT_TRUE(AnswerFileDialog(x, openDialogPattern, Path("sheet.png"))) << x.Diagnostics().toStdString();
  ASSERT_TRUE(WaitForView(sheet, 1, "opened"));

  ASSERT_TRUE(x.ClickAt(Client(addGridButton)));
  const QImage gridded = WithGrid(sheet);
  ASSERT_EQ(gridded.size(), QSize(68, 34));
  ASSERT_TRUE(WaitForView(gridded, 1, "grid-added"));

  // A name without extension: the PNG entry is preselected and ".png" is appended.
  ASSERT_TRUE(SaveThroughDialog(Path("gridded"))) << x.Diagnostics().toStdString();
  ASSERT_TRUE(WaitForPictureFile(Path("gridded.png"))) << x.Diagnostics().toStdString();
  x.Screenshot("saved");
  EXPECT_FALSE(QFile::exists(Path("gridded")));
  EXPECT_TRUE(FileBytes(Path("gridded.png")).startsWith("\x89PNG\r\n\x1a\n"));
  const QImage saved = Decoded(Path("gridded.png"));
  ASSERT_EQ(saved.size(), QSize(68, 34));
  EXPECT_TRUE(saved.hasAlphaChannel()) << "a picture with the grid is written at 32 bits";
  for (int py = 0; py < saved.height(); ++py)
    for (int px = 0; px < saved.width(); ++px)
      if (px % gridPitch == tileEdge || py % gridPitch == tileEdge) {
        ASSERT_EQ(saved.pixel(px, py), qRgba(255, 0, 255, 255)) << "grid pixel (" << px << "," << py << ")";
      }
  EXPECT_EQ(PixelDifference(saved, gridded, true).toStdString(), "");
  EXPECT_TRUE(x.ProgramRunning());
}

TEST_F(Session, NewUserRearrangesSavesQuitsAndBringsEveryTileHome) {
  // 16 x 12 whole tiles and a partial column and row; at zoom 3 it is larger than the view.
  const QImage sheet = Sheet(16 * tileEdge + 6, 12 * tileEdge + 5);
  const QImage home = sheet.copy(0, 0, 16 * tileEdge, 12 * tileEdge);
  ASSERT_TRUE(sheet.save(Path("sheet.png")));
  constexpr int zoom = 3;
  QImage picture = sheet;
  std::vector<int> map(16 * 12);
  for (int i = 0; i < int(map.size()); ++i)
    map[i] = i;
  auto swapped = [&](int pitch, QPoint a, QPoint b) {
    SwapSquares(picture, pitch, a, b);
    std::swap(map[a.y() * 16 + a.x()], map[b.y() * 16 + b.x()]);
  };

  // Open the sheet by typing its path into the file dialog.
  x.Screenshot("started");
  ASSERT_TRUE(x.Key("ctrl+o"));
  ASSERT_TRUE(AnswerFileDialog(x, openDialogPattern, Path("sheet.png"))) << x.Diagnostics().toStdString();
  const QString centred = WaitForPictureInView(x, Enlarged(picture, 1));
  x.Screenshot("opened");
  ASSERT_EQ(centred.toStdString(), "") << "the opened sheet is not centred in the view";

  // Zoom in with two steps of the wheel away from the user, over the view.
  ASSERT_TRUE(x.MoveMouse(x.ViewRect().center()));
  ASSERT_TRUE(x.Wheel(WheelDirection::Up, 2));
  std::optional<QPoint> canvas = WaitForView(picture, zoom, "zoomed");
  ASSERT_TRUE(canvas);
  EXPECT_EQ(*canvas, x.ViewRect().topLeft()) << "a picture larger than the view starts unscrolled";

  // Three exchanges in the part shown first.
  const std::vector<std::pair<QPoint, QPoint>> firstPairs = {{{0, 0}, {2, 1}}, {{5, 0}, {1, 3}}, {{4, 4}, {7, 2}}};
  for (size_t i = 0; i < firstPairs.size(); ++i) {
    const auto [a, b] = firstPairs[i];
    ASSERT_TRUE(DragTile(*canvas, tileEdge, zoom, a, b));
    swapped(tileEdge, a, b);
    canvas = WaitForView(picture, zoom, QString("swap-%1").arg(i + 1));
    ASSERT_TRUE(canvas);
  }

  // Scroll right and down with clicks in the scroll bars' troughs near their far ends,
  // then exchange two tiles that were out of sight.
  const QRect view = x.ViewRect();
  ASSERT_TRUE(x.ClickAt(QPoint(view.right() - 40, view.bottom() - 6)));
  ASSERT_TRUE(x.ClickAt(QPoint(view.right() - 6, view.bottom() - 40)));
  ASSERT_TRUE(WaitFor([&] {
    canvas = CanvasOnScreen(x.GrabScreen(), view, Enlarged(picture, zoom));
    return canvas && canvas->x() < view.left() && canvas->y() < view.top();
  })) << "the view did not scroll";
  canvas = WaitForView(picture, zoom, "scrolled");
  ASSERT_TRUE(canvas);
  const QPoint farA(15, 11), farB(13, 9);
  ASSERT_TRUE(DragTile(*canvas, tileEdge, zoom, farA, farB));
  swapped(tileEdge, farA, farB);
  canvas = WaitForView(picture, zoom, "swap-scrolled");
  ASSERT_TRUE(canvas);

  // Add the grid and exchange a pair with their lines: the first two whole tiles in view.
  ASSERT_TRUE(x.ClickAt(Client(addGridButton)));
  picture = WithGrid(picture);
  canvas = WaitForView(picture, zoom, "grid-added");
  ASSERT_TRUE(canvas);
  const int cell = gridPitch * zoom;
  const QPoint firstInView((view.left() - canvas->x() + cell - 1) / cell, (view.top() - canvas->y() + cell - 1) / cell);
  const QPoint gridA = firstInView, gridB = firstInView + QPoint(2, 1);
  ASSERT_TRUE(DragTile(*canvas, gridPitch, zoom, gridA, gridB));
  swapped(gridPitch, gridA, gridB);
  canvas = WaitForView(picture, zoom, "swap-with-grid");
  ASSERT_TRUE(canvas);

  ASSERT_TRUE(x.ClickAt(Client(removeGridButton)));
  picture = WithoutGrid(picture);
  ASSERT_TRUE(WaitForView(picture, zoom, "grid-removed"));

  // Save the picture as PNG (preselected) and as BMP (chosen in the type box), and the map.
  ASSERT_TRUE(SaveThroughDialog(Path("arranged"))) << x.Diagnostics().toStdString();
  ASSERT_TRUE(WaitForPictureFile(Path("arranged.png"))) << x.Diagnostics().toStdString();
  const QImage png = Decoded(Path("arranged.png"));
  EXPECT_TRUE(png.hasAlphaChannel()) << "after a grid operation the picture is written at 32 bits";
  EXPECT_EQ(PixelDifference(png, picture, true).toStdString(), "");

  ASSERT_TRUE(SaveAsBmpThroughDialog(Path("bitmap"))) << x.Diagnostics().toStdString();
  ASSERT_TRUE(WaitForPictureFile(Path("bitmap.bmp"))) << x.Diagnostics().toStdString();
  x.Screenshot("saved-pictures");
  EXPECT_TRUE(FileBytes(Path("bitmap.bmp")).startsWith("BM"));
  EXPECT_EQ(FileBytes(Path("bitmap.bmp")).mid(28, 2), QByteArray("\x20\x00", 2)) << "32 bits per pixel";
  EXPECT_EQ(PixelDifference(Decoded(Path("bitmap.bmp")), png, false).toStdString(), "");
  EXPECT_FALSE(QFile::exists(Path("bitmap.png"))) << "the BMP type was not chosen";

  ASSERT_TRUE(ChooseMenuItem(x, mapMenu, mapSaveItem));
  ASSERT_TRUE(AnswerFileDialog(x, saveDialogPattern, Path("tiles"))) << x.Diagnostics().toStdString();
  ASSERT_TRUE(WaitFor([&] { return FileBytes(Path("tiles.zirf-map")) == MapFileBytes(map); }, fileWaitMs))
      << "the map file holds:\n"
      << FileBytes(Path("tiles.zirf-map")).toStdString();
  x.Screenshot("map-saved");

  // Quit from the File menu; the session's work is on disk.
  ASSERT_TRUE(ChooseMenuItem(x, fileMenu, fileQuitItem));
  ASSERT_EQ(x.WaitForProgramExit(), std::optional(0)) << x.Diagnostics().toStdString();

  // Next day: open the saved picture, read the map, Reset Map, save again.
  ASSERT_TRUE(x.StartProgram()) << x.Diagnostics().toStdString();
  x.Screenshot("restarted");
  ASSERT_TRUE(x.Key("ctrl+o"));
  ASSERT_TRUE(AnswerFileDialog(x, openDialogPattern, Path("arranged.png"))) << x.Diagnostics().toStdString();
  EXPECT_EQ(WaitForPictureInView(x, Enlarged(picture, 1)).toStdString(), "");
  x.Screenshot("reopened");

  ASSERT_TRUE(ChooseMenuItem(x, mapMenu, mapOpenItem));
  ASSERT_TRUE(AnswerFileDialog(x, openDialogPattern, Path("tiles.zirf-map"))) << x.Diagnostics().toStdString();
  x.Screenshot("map-read");
  // Reading the map changes no pixel; Reset Map then brings every tile home.
  EXPECT_EQ(WaitForPictureInView(x, Enlarged(picture, 1)).toStdString(), "");
  ASSERT_TRUE(x.ClickAt(Client(ResetMapButton(x.InnerRect(x.MainWindow()).width()))));
  EXPECT_EQ(WaitForPictureInView(x, Enlarged(home, 1)).toStdString(), "");
  x.Screenshot("reset");

  ASSERT_TRUE(SaveThroughDialog(Path("restored"))) << x.Diagnostics().toStdString();
  ASSERT_TRUE(WaitForPictureFile(Path("restored.png"))) << x.Diagnostics().toStdString();
  x.Screenshot("restored-saved");
  EXPECT_EQ(PixelDifference(Decoded(Path("restored.png")), home, true).toStdString(), "");
  EXPECT_TRUE(x.ProgramRunning());
}

} // namespace
} // namespace e2e
