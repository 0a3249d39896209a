// Inputs the fuzzers found or started from, replayed on every test run: the seed corpora
// in fuzz/corpus/<target>/ and the kept regression cases in tests/fuzzcases/<target>/.
// Each input goes through the same code as in its fuzz target and must neither crash
// nor break the reader's promises.
#include "image/bmpwriter.h"
#include "image/decode.h"
#include "image/pngwriter.h"
#include "platform/files.h"
#include "platform/imagelib.h"
#include "platform/pathtext.h"
#include "tilemap/mapformat.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

// Every input kept for target, as (name, bytes).
std::vector<std::pair<QString, QByteArray>> Inputs(const QString &target) {
  std::vector<std::pair<QString, QByteArray>> inputs;
  for (const QString &root : {QString(ZIRF_FUZZCASES), QString(ZIRF_FUZZCASES) + "/../../fuzz/corpus"}) {
    const QDir folder(root + "/" + target);
    for (const QString &name : folder.entryList(QDir::Files | QDir::Hidden, QDir::Name)) {
      QFile file(folder.filePath(name));
      if (file.open(QIODevice::ReadOnly))
        inputs.emplace_back(folder.filePath(name), file.readAll());
    }
  }
  return inputs;
}

TEST(FuzzCases, EveryTargetHasInputs) {
  for (const char *target : {"mapreader", "pathext", "decode", "roundtrip"})
    EXPECT_FALSE(Inputs(target).empty()) << target;
}

TEST(FuzzCases, MapReaderInputsReadEveryLine) {
  for (const auto &[name, bytes] : Inputs("mapreader")) {
    SCOPED_TRACE(name.toStdString());
    if (bytes.size() < 2)
      continue;
    const int count = (uint8_t(bytes[0]) + 1) * (uint8_t(bytes[1]) + 1);
    QByteArray text = bytes.mid(2);
    QBuffer device(&text);
    ASSERT_TRUE(device.open(QIODevice::ReadOnly));
    MapLineReader reader(device);
    for (int i = 0; i < count; ++i)
      reader.NextValue();
    EXPECT_EQ(reader.NextValue(), 0) << "past the end every value is 0";
  }
}

TEST(FuzzCases, PathExtensionInputsGiveAPlainExtension) {
  for (const auto &[name, bytes] : Inputs("pathext")) {
    SCOPED_TRACE(name.toStdString());
    const QString extension = PathExtension(QString::fromUtf8(bytes));
    for (const QChar c : {u'/', u'\\', u' ', u'"', u'.'})
      EXPECT_FALSE(extension.contains(c));
  }
}

TEST(FuzzCases, DecodeInputsLoadOrLeaveTheSlotAlone) {
  QTemporaryDir folder;
  ASSERT_TRUE(folder.isValid());
  constexpr int slot = 19;
  for (const auto &[name, bytes] : Inputs("decode")) {
    SCOPED_TRACE(name.toStdString());
    if (bytes.isEmpty())
      continue;
    const QString path = folder.filePath("picture");
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes.mid(1));
    file.close();
    const int depth = (bytes[0] & 1) ? 32 : 24;
    ASSERT_TRUE(CreateImage(slot, 3, 2, 24, 0x123456));
    if (DecodeImageFile(slot, path, depth)) {
      EXPECT_EQ(ImageDepth(slot), depth);
      EXPECT_GE(ImageWidth(slot), 1);
      EXPECT_GE(ImageHeight(slot), 1);
    } else {
      EXPECT_EQ(ImageWidth(slot), 3);
      EXPECT_EQ(ImageHeight(slot), 2);
      EXPECT_EQ(ImageRowConst(slot, 1)[5], 0x12); // blue of the fill colour, untouched
    }
    FreeImage(slot);
  }
}

TEST(FuzzCases, RoundTripInputsReadBackTheSamePixels) {
  constexpr int slot = 19;
  for (const auto &[name, bytes] : Inputs("roundtrip")) {
    SCOPED_TRACE(name.toStdString());
    if (bytes.size() < 3)
      continue;
    const int width = uint8_t(bytes[0]) % 40 + 1, height = uint8_t(bytes[1]) % 40 + 1;
    const int depth = (bytes[2] & 1) ? 32 : 24;
    const QByteArray pixels = bytes.mid(3);
    ASSERT_TRUE(CreateImage(slot, width, height, depth, 0));
    QImage expected(width, height, QImage::Format_RGB888);
    size_t at = 0;
    for (int y = 0; y < height; ++y) {
      uint8_t *row = ImageRow(slot, y);
      for (int i = 0; i < width * depth / 8; ++i, ++at)
        row[i] = pixels.isEmpty() ? uint8_t(at * 37) : uint8_t(pixels[qsizetype(at % size_t(pixels.size()))]);
      for (int x = 0; x < width; ++x) {
        if (depth == 32)
          row[x * 4 + 3] = 255;
        const uint8_t *p = row + x * (depth / 8);
        expected.setPixel(x, y, qRgb(p[0], p[1], p[2]));
      }
    }
    BufferSink png, bmp;
    ASSERT_TRUE(WritePng(png, slot));
    ASSERT_TRUE(WriteBmp(bmp, slot));
    EXPECT_EQ(QImage::fromData(png.bytes.data(), int(png.bytes.size()), "PNG").convertToFormat(QImage::Format_RGB888),
              expected);
    EXPECT_EQ(QImage::fromData(bmp.bytes.data(), int(bmp.bytes.size()), "BMP").convertToFormat(QImage::Format_RGB888),
              expected);
    FreeImage(slot);
  }
}

} // namespace
