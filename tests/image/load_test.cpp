// Opening a picture: every readable file becomes a 24-bit working picture in the state a
// fresh picture starts in; a file that cannot be read changes nothing at all.
#include "app/ids.h"
#include "app/mainwindow.h"
#include "app/state.h"
#include "image/decode.h"
#include "image/openimage.h"
#include "platform/imagelib.h"
#include "platform/ui.h"
#include "platform/ui_widgets.h"
#include "tests/support/apptest.h"
#include "tilemap/tilemap.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QPixmap>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdlib>
#include <sys/stat.h>
#include <vector>

using PictureLoading = AppTest;

namespace {

const char *const openTitle = "Please choose file to open..";
const char *const openFilters = "Supported Images (*.bmp;*.jpg;*.png;*.gif)|*.bmp;*.jpg;*.png;*.gif";

// Chooses path in the open dialog of the File menu.
void OpenThroughMenu(const QString &path) {
  DialogStep step;
  step.kind = OpenFileDialog;
  step.title = openTitle;
  step.text = openFilters;
  step.answerPath = path;
  ScriptDialogs({step});
  Feed(MenuChosen(MenuOpenImage));
}

void AppendLE16(QByteArray &bytes, int value) {
  bytes.append(char(value & 0xFF));
  bytes.append(char((value >> 8) & 0xFF));
}

// A GIF of frames of palette indices (0..3, row by row), each frame the whole picture.
// The LZW data sends a clear code before every two pixels, so every code stays 3 bits wide.
QByteArray GifFile(int width, int height, const std::vector<QRgb> &palette, const std::vector<std::vector<int>> &frames,
                   int transparentIndex = -1) {
  QByteArray gif("GIF89a");
  AppendLE16(gif, width);
  AppendLE16(gif, height);
  gif.append(char(0x91)); // global colour table of 4 entries, 2 bits of colour resolution
  gif.append(char(0));    // background index
  gif.append(char(0));    // pixel aspect
  for (int i = 0; i < 4; ++i) {
    const QRgb colour = i < int(palette.size()) ? palette[size_t(i)] : 0;
    gif.append(char(qRed(colour)));
    gif.append(char(qGreen(colour)));
    gif.append(char(qBlue(colour)));
  }
  for (const std::vector<int> &indices : frames) {
    const char control[] = {0x21,
                            char(0xF9),
                            4,
                            char(transparentIndex >= 0 ? 1 : 0),
                            10,
                            0,
                            char(transparentIndex >= 0 ? transparentIndex : 0),
                            0};
    gif.append(control, sizeof control);
    gif.append(char(0x2C)); // image descriptor: at (0, 0), whole size, no local table
    AppendLE16(gif, 0);
    AppendLE16(gif, 0);
    AppendLE16(gif, width);
    AppendLE16(gif, height);
    gif.append(char(0));
    gif.append(char(2)); // LZW minimum code size
    std::vector<int> codes;
    for (size_t i = 0; i < indices.size(); ++i) {
      if (i % 2 == 0)
        codes.push_back(4); // clear
      codes.push_back(indices[i]);
    }
    codes.push_back(5); // end of information
    QByteArray data;
    uint32_t bits = 0;
    int bitCount = 0;
    for (int code : codes) {
      bits |= uint32_t(code) << bitCount;
      bitCount += 3;
      while (bitCount >= 8) {
        data.append(char(bits & 0xFF));
        bits >>= 8;
        bitCount -= 8;
      }
    }
    if (bitCount > 0)
      data.append(char(bits & 0xFF));
    for (qsizetype at = 0; at < data.size(); at += 255) {
      const QByteArray block = data.mid(at, 255);
      gif.append(char(block.size()));
      gif.append(block);
    }
    gif.append(char(0)); // block terminator
  }
  gif.append(char(0x3B));
  return gif;
}

// A 6 x 5 picture of four colours laid out with no symmetry, as palette indices.
const std::vector<int> letterIndices = {
    1, 1, 1, 1, 0, 0, //
    1, 0, 0, 0, 0, 2, //
    1, 1, 1, 0, 0, 0, //
    1, 0, 0, 0, 3, 0, //
    1, 0, 0, 0, 0, 2, //
};
const std::vector<QRgb> letterPalette = {qRgb(0, 0, 255), qRgb(255, 0, 0), qRgb(0, 255, 0), qRgb(250, 200, 10)};

QImage FromIndices(int width, int height, const std::vector<QRgb> &palette, const std::vector<int> &indices) {
  QImage picture(width, height, QImage::Format_RGB888);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      picture.setPixel(x, y, palette[size_t(indices[size_t(y * width + x)])]);
  return picture;
}

// Inserts an EXIF block that says "rotate by 90 degrees to show" right after the SOI marker.
QByteArray WithRotationTag(const QByteArray &jpeg) {
  QByteArray tiff("II*\0\x08\0\0\0", 8);
  tiff.append(QByteArray("\x01\0"                   // one entry
                         "\x12\x01\x03\0\x01\0\0\0" // orientation, SHORT, count 1
                         "\x06\0\0\0"               // value 6
                         "\0\0\0\0",                // no next directory
                         18));
  QByteArray segment = QByteArray("Exif\0\0", 6) + tiff;
  QByteArray app1("\xFF\xE1", 2);
  AppendLE16(app1, 0); // placeholder; the length is big-endian
  app1[2] = char((segment.size() + 2) >> 8);
  app1[3] = char((segment.size() + 2) & 0xFF);
  return jpeg.left(2) + app1 + segment + jpeg.mid(2);
}

int Near(QRgb shown, QRgb wanted) {
  return std::max({std::abs(qRed(shown) - qRed(wanted)), std::abs(qGreen(shown) - qGreen(wanted)),
                   std::abs(qBlue(shown) - qBlue(wanted))});
}

QImage CanvasPixels() { return ControlWidget(ViewCanvas)->grab().toImage().convertToFormat(QImage::Format_RGB888); }

// Everything a failed load must leave as it was.
struct Snapshot {
  QImage picture;
  int depth, tileSize, gridOn, remapped;
  std::vector<int32_t> map;
  int tileCols, tileRows;
  int combo;
  bool addGrid, removeGrid, tileMode, resetMap;
  bool operator==(const Snapshot &) const = default;
};

Snapshot TakeSnapshot() {
  return {WorkPicture(),
          ImageDepth(workImage),
          tileSize,
          gridOn,
          remapped,
          tileMap,
          tileCols,
          tileRows,
          ComboSelection(TileModeCombo),
          ControlEnabled(AddGridButton),
          ControlEnabled(RemoveGridButton),
          ControlEnabled(TileModeCombo),
          ControlEnabled(ResetMapButton)};
}

void ExpectFreshPicture(int width, int height) {
  EXPECT_TRUE(ImageExists(workImage));
  EXPECT_EQ(ImageWidth(workImage), width);
  EXPECT_EQ(ImageHeight(workImage), height);
  EXPECT_EQ(ImageDepth(workImage), 24);
  EXPECT_EQ(tileSize, 16);
  EXPECT_EQ(gridOn, 0);
  EXPECT_EQ(remapped, 0);
  EXPECT_EQ(tileCols, width / 16);
  EXPECT_EQ(tileRows, height / 16);
  EXPECT_EQ(zoom, 1);
  EXPECT_EQ(ComboSelection(TileModeCombo), 1);
  EXPECT_TRUE(ControlEnabled(TileModeCombo));
  EXPECT_TRUE(ControlEnabled(AddGridButton));
  EXPECT_FALSE(ControlEnabled(RemoveGridButton));
  EXPECT_FALSE(ControlEnabled(ResetMapButton));
}

} // namespace

TEST_F(PictureLoading, LosslessFormatsLoadExactly) {
  const QImage letter = FromIndices(6, 5, letterPalette, letterIndices);
  struct Case {
    const char *name;
    QString path;
  };
  const QString gifPath = TempPath("letter.gif");
  WriteBytes(gifPath, GifFile(6, 5, letterPalette, {letterIndices}));
  const std::vector<Case> cases = {
      {"PNG", WritePicture(letter, "letter.png", "PNG")},
      {"BMP", WritePicture(letter, "letter.bmp", "BMP")},
      {"GIF", gifPath},
      {"PNG under another name", WritePicture(letter, "letter-png.bmp", "PNG")},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    FreeImage(workImage);
    OpenThroughMenu(c.path);
    ExpectFreshPicture(6, 5);
    EXPECT_EQ(WorkPicture(), letter);
    EXPECT_EQ(CanvasPixels(), letter);
  }
}

TEST_F(PictureLoading, JpegLoadsItsColoursAsStoredWithoutRotation) {
  // Two halves of 16 x 16, one sampling block each, so the colours survive the compression.
  QImage halves(32, 16, QImage::Format_RGB888);
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 32; ++x)
      halves.setPixel(x, y, x < 16 ? qRgb(200, 40, 30) : qRgb(30, 60, 210));
  const QString plain = WritePicture(halves, "halves.jpg", "JPEG");
  QFile file(plain);
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  const QString rotated = TempPath("rotated.jpg");
  WriteBytes(rotated, WithRotationTag(file.readAll()));
  ASSERT_EQ(QImageReader(rotated).transformation(), QImageIOHandler::TransformationRotate90); // the tag is read
  for (const QString &path : {plain, rotated}) {
    SCOPED_TRACE(path.toStdString());
    FreeImage(workImage);
    OpenThroughMenu(path);
    ExpectFreshPicture(32, 16);
    const QImage loaded = WorkPicture();
    EXPECT_LE(Near(loaded.pixel(4, 8), qRgb(200, 40, 30)), 6);
    EXPECT_LE(Near(loaded.pixel(27, 8), qRgb(30, 60, 210)), 6);
  }
}

TEST_F(PictureLoading, TransparentPixelsBecomeBlack) {
  // PNG: straight alpha with a colour stored beneath it.
  QImage withAlpha(4, 1, QImage::Format_ARGB32);
  withAlpha.setPixel(0, 0, qRgba(200, 100, 50, 0));
  withAlpha.setPixel(1, 0, qRgba(200, 100, 50, 255));
  withAlpha.setPixel(2, 0, qRgba(200, 100, 50, 51)); // a fifth
  withAlpha.setPixel(3, 0, qRgba(255, 255, 255, 0));
  const QString pngPath = WritePicture(withAlpha, "alpha.png", "PNG");
  ASSERT_EQ(QImage(pngPath).pixel(3, 0), qRgba(255, 255, 255, 0)); // the file keeps the colour beneath
  OpenThroughMenu(pngPath);
  ExpectFreshPicture(4, 1);
  const QImage png = WorkPicture();
  EXPECT_EQ(png.pixel(0, 0), qRgb(0, 0, 0));
  EXPECT_EQ(png.pixel(1, 0), qRgb(200, 100, 50));
  EXPECT_EQ(png.pixel(2, 0), qRgb(40, 20, 10));
  EXPECT_EQ(png.pixel(3, 0), qRgb(0, 0, 0));

  // GIF: palette index 2 (green) is the transparent one.
  const QString gifPath = TempPath("transparent.gif");
  WriteBytes(gifPath, GifFile(6, 5, letterPalette, {letterIndices}, 2));
  OpenThroughMenu(gifPath);
  ExpectFreshPicture(6, 5);
  std::vector<QRgb> blackForGreen = letterPalette;
  blackForGreen[2] = qRgb(0, 0, 0);
  EXPECT_EQ(WorkPicture(), FromIndices(6, 5, blackForGreen, letterIndices));
}

TEST_F(PictureLoading, AnimatedGifGivesItsFirstFrame) {
  std::vector<int> second = letterIndices;
  for (int &index : second)
    index = 3 - index;
  const QString path = TempPath("animated.gif");
  WriteBytes(path, GifFile(6, 5, letterPalette, {letterIndices, second}));
  ASSERT_EQ(QImageReader(path).imageCount(), 2);
  OpenThroughMenu(path);
  EXPECT_EQ(WorkPicture(), FromIndices(6, 5, letterPalette, letterIndices));
}

TEST_F(PictureLoading, OnePixelPictureLoadsWithoutWholeTile) {
  QImage dot(1, 1, QImage::Format_RGB888);
  dot.setPixel(0, 0, qRgb(9, 8, 7));
  OpenThroughMenu(WritePicture(dot, "dot.png"));
  ExpectFreshPicture(1, 1);
  EXPECT_EQ(WorkPicture().pixel(0, 0), qRgb(9, 8, 7));
  EXPECT_EQ(tileCols, 0);
  EXPECT_EQ(tileRows, 0);
  EXPECT_EQ(tileMap, std::vector<int32_t>(1, 0));
}

TEST_F(PictureLoading, LargestSideLoadsAndOneMoreIsRefused) {
  QImage wide(maxImageSide, 1, QImage::Format_RGB888);
  wide.fill(qRgb(1, 2, 3));
  wide.setPixel(maxImageSide - 1, 0, qRgb(7, 8, 9));
  OpenThroughMenu(WritePicture(wide, "wide.bmp", "BMP"));
  ExpectFreshPicture(maxImageSide, 1);
  EXPECT_EQ(WorkPicture().pixel(maxImageSide - 1, 0), qRgb(7, 8, 9));
  const Snapshot before = TakeSnapshot();
  for (QSize size : {QSize(maxImageSide + 1, 1), QSize(1, maxImageSide + 1)}) {
    SCOPED_TRACE(size.width());
    QImage tooLarge(size, QImage::Format_RGB888);
    tooLarge.fill(qRgb(4, 5, 6));
    const QString path = WritePicture(tooLarge, "too-large.bmp", "BMP");
    ASSERT_FALSE(QImageReader(path).read().isNull()); // Qt itself would read it
    OpenThroughMenu(path);
    EXPECT_TRUE(TakeSnapshot() == before);
  }
}

TEST_F(PictureLoading, FailedLoadKeepsThePictureAndItsState) {
  const QString junk = TempPath("junk.png");
  WriteBytes(junk, QByteArray("\x89PNG\r\n\x1a\n this is not a picture at all"));
  const QString empty = TempPath("empty.gif");
  WriteBytes(empty, QByteArray());
  const QString fifo = TempPath("fifo.png");
  ASSERT_EQ(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
  struct Case {
    const char *name;
    QString path;
  };
  const std::vector<Case> cases = {
      {"missing file", TempPath("missing.png")},
      {"folder", tempDir.path()},
      {"junk", junk},
      {"empty file", empty},
      {"FIFO", fifo},
  };
  const QImage picture = PatternPicture(48, 40);
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    OpenThroughMenu(WritePicture(picture, "previous.png"));
    // A worked-on picture: 8 x 8 tiles, two of them exchanged, seen at zoom 4.
    ScriptDialogs({});
    tileSize = 8;
    InitTileMap();
    UpdateControls();
    Feed(GadgetAt(ViewCanvas, GadgetLeftPressed, 1, 1));
    Feed(GadgetAt(ViewCanvas, GadgetLeftReleased, 20, 30));
    ASSERT_EQ(remapped, 1);
    for (int i = 0; i < 3; ++i)
      Feed(WheelTurned(120));
    const Snapshot before = TakeSnapshot();
    ASSERT_EQ(before.combo, 0);
    ASSERT_TRUE(before.resetMap);
    OpenThroughMenu(c.path);
    EXPECT_TRUE(TakeSnapshot() == before);
    EXPECT_EQ(zoom, 1); // the menu path still redraws at zoom 1
    EXPECT_EQ(StatusText(1), "Zoom: 1x1");
    EXPECT_EQ(CanvasPixels().size(), QSize(48, 40));
    EXPECT_EQ(CanvasPixels(), before.picture);
  }
}

TEST_F(PictureLoading, FailedFirstLoadLeavesNoPicture) {
  OpenThroughMenu(TempPath("missing.png"));
  EXPECT_FALSE(ImageExists(workImage));
  EXPECT_FALSE(ControlEnabled(AddGridButton));
  EXPECT_FALSE(ControlEnabled(TileModeCombo));
  EXPECT_EQ(tileMap, std::vector<int32_t>(4, 0));
}

TEST_F(PictureLoading, CancelledDialogKeepsThePictureAndRedrawsAtZoomOne) {
  const QImage picture = PatternPicture(20, 18);
  OpenThroughMenu(WritePicture(picture, "shown.png"));
  for (int i = 0; i < 3; ++i)
    Feed(WheelTurned(120));
  ASSERT_EQ(ControlWidth(ViewCanvas), 80);
  OpenThroughMenu(QString());
  EXPECT_EQ(WorkPicture(), picture);
  EXPECT_EQ(zoom, 1);
  EXPECT_EQ(ControlWidth(ViewCanvas), 20);
  EXPECT_EQ(StatusText(1), "Zoom: 1x1");
}

TEST_F(PictureLoading, NewPictureStartsFreshAfterGridOr8x8Mode) {
  const QString next = WritePicture(PatternPicture(40, 24), "next.png");
  struct Case {
    const char *name;
    int tileSize, gridOn;
  };
  for (const Case c : {Case{"16x16 with grid", 16, 1}, Case{"8x8", 8, 0}, Case{"8x8 with grid", 8, 1}}) {
    SCOPED_TRACE(c.name);
    OpenThroughMenu(WritePicture(PatternPicture(64, 64), "previous.png"));
    tileSize = c.tileSize;
    gridOn = c.gridOn;
    InitTileMap(); // remapped is 1 now
    UpdateControls();
    ASSERT_EQ(ControlEnabled(RemoveGridButton), c.gridOn == 1);
    OpenThroughMenu(next);
    ExpectFreshPicture(40, 24);
    EXPECT_EQ(tileMap, (std::vector<int32_t>{0, 0, 1, 0, 0, 0})); // 2 x 1 tiles of 16, no grid
  }
}

TEST_F(PictureLoading, GivenPathOpensWithoutDialog) {
  const QImage picture = PatternPicture(17, 33);
  OpenImage(WritePicture(picture, "given.bmp", "BMP"));
  EXPECT_EQ(WorkPicture(), picture);
  EXPECT_EQ(tileCols, 1);
  EXPECT_EQ(tileRows, 2);
}

TEST(DecodeImageFile, LeavesTheSlotAsItWasOnFailureAndFillsItOnSuccess) {
  FreeAllImages();
  QTemporaryDir folder;
  ASSERT_TRUE(CreateImage(5, 3, 3, 32, 0));
  EXPECT_FALSE(DecodeImageFile(5, folder.filePath("missing.png"), 24));
  EXPECT_FALSE(DecodeImageFile(5, QString(), 24));
  EXPECT_EQ(ImageWidth(5), 3);
  EXPECT_EQ(ImageDepth(5), 32);
  QImage picture = PatternPicture(4, 2);
  ASSERT_TRUE(picture.save(folder.filePath("p.png")));
  ASSERT_TRUE(DecodeImageFile(5, folder.filePath("p.png"), 24));
  EXPECT_EQ(ImageWidth(5), 4);
  EXPECT_EQ(ImageDepth(5), 24);
  EXPECT_EQ(ImageRowConst(5, 1)[3 * 3 + 2], 3 ^ 1); // blue of (3, 1)
  FreeAllImages();
}
