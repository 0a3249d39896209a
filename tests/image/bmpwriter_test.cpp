// The BMP writer, byte for byte: header fields, bottom-up rows of blue, green, red
// (and alpha), zero padding to a multiple of 4.
#include "image/bmpwriter.h"
#include "platform/imagelib.h"
#include "tests/image/fillingsink.h"
#include "tests/image/pictures.h"

#include <QByteArray>
#include <gtest/gtest.h>
#include <vector>

namespace {

// Pixel (x, y) of a 3 x 2 picture holds red, green, blue = 9y + 3x + 1, + 2, + 3.
Rgb Counting(int x, int y) {
  return Rgb{uint8_t(9 * y + 3 * x + 1), uint8_t(9 * y + 3 * x + 2), uint8_t(9 * y + 3 * x + 3)};
}

std::vector<uint8_t> Written(const QImage &picture) {
  const int slot = AllocateImageNumber();
  AdoptImage(slot, QImage(picture));
  BufferSink sink;
  EXPECT_TRUE(WriteBmp(sink, slot));
  FreeImage(slot);
  return sink.bytes;
}

uint32_t LittleEndian32(const std::vector<uint8_t> &bytes, size_t at) {
  return bytes[at] | bytes[at + 1] << 8 | bytes[at + 2] << 16 | uint32_t(bytes[at + 3]) << 24;
}

} // namespace

TEST(BmpWriting, A3x2PictureAt24BitsIs78ExactBytes) {
  // clang-format off
  const std::vector<uint8_t> expected = {
      'B', 'M', 78, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0,    // signature, file size, reserved, pixel offset
      40, 0, 0, 0, 3, 0, 0, 0, 2, 0, 0, 0,                 // header size, width, height
      1, 0, 24, 0, 0, 0, 0, 0, 24, 0, 0, 0,                // planes, bits, compression, pixel bytes
      0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,      // resolutions, colours used, important colours
      12, 11, 10, 15, 14, 13, 18, 17, 16, 0, 0, 0,         // bottom row first: blue, green, red, padding
      3, 2, 1, 6, 5, 4, 9, 8, 7, 0, 0, 0,                  // top row
  };
  // clang-format on
  EXPECT_EQ(Written(Paint(3, 2, 24, Counting)), expected);
}

TEST(BmpWriting, A3x2PictureAt32BitsCarriesAlphaAndNeedsNoPadding) {
  // clang-format off
  const std::vector<uint8_t> expected = {
      'B', 'M', 78, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0,    // signature, file size, reserved, pixel offset
      40, 0, 0, 0, 3, 0, 0, 0, 2, 0, 0, 0,                 // header size, width, height
      1, 0, 32, 0, 0, 0, 0, 0, 24, 0, 0, 0,                // planes, bits, compression, pixel bytes
      0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,      // resolutions, colours used, important colours
      12, 11, 10, 255, 15, 14, 13, 255, 18, 17, 16, 255,   // bottom row first: blue, green, red, alpha
      3, 2, 1, 255, 6, 5, 4, 255, 9, 8, 7, 255,            // top row
  };
  // clang-format on
  EXPECT_EQ(Written(Paint(3, 2, 32, Counting)), expected);
}

// Widths 1, 2 and 3 at 24 bits need 3, 2 and 1 bytes of padding per row; Qt's reader
// must see the same pixels in every case.
TEST(BmpWriting, EveryPaddingDecodesToThePictureWithQt) {
  struct Case {
    int width, height, depth, storedRow;
  };
  const std::vector<Case> cases = {{1, 3, 24, 4}, {2, 3, 24, 8},  {3, 2, 24, 12},   {6, 5, 24, 20},
                                   {1, 3, 32, 4}, {6, 5, 32, 24}, {255, 7, 24, 768}};
  for (const Case &c : cases) {
    SCOPED_TRACE(testing::Message() << c.width << "x" << c.height << " at " << c.depth);
    const PixelRule rule = c.width == 6 ? PixelRule(LetterF) : PixelRule(Noise);
    const std::vector<uint8_t> file = Written(Paint(c.width, c.height, c.depth, rule));
    ASSERT_EQ(file.size(), size_t(54 + c.storedRow * c.height));
    EXPECT_EQ(LittleEndian32(file, 2), file.size());
    EXPECT_EQ(LittleEndian32(file, 34), uint32_t(c.storedRow * c.height));
    const int pixelBytes = c.width * c.depth / 8;
    for (int row = 0; row < c.height; ++row)
      for (int at = pixelBytes; at < c.storedRow; ++at)
        EXPECT_EQ(file[54 + row * c.storedRow + at], 0) << "padding of stored row " << row;

    const QImage byQt =
        QImage::fromData(QByteArray(reinterpret_cast<const char *>(file.data()), qsizetype(file.size())), "BMP")
            .convertToFormat(QImage::Format_RGB888);
    ASSERT_EQ(byQt.size(), QSize(c.width, c.height));
    const std::vector<uint8_t> expected = RowBytes(c.width, c.height, 3, rule);
    for (int y = 0; y < c.height; ++y)
      EXPECT_EQ(std::vector<uint8_t>(byQt.constScanLine(y), byQt.constScanLine(y) + c.width * 3),
                std::vector<uint8_t>(&expected[y * c.width * 3], &expected[(y + 1) * c.width * 3]))
          << "row " << y;
  }
}

namespace {} // namespace

TEST(BmpWriting, FailsWhenTheSinkRefusesBytes) {
  const int slot = AllocateImageNumber();
  AdoptImage(slot, Paint(3, 2, 24, Counting));
  for (size_t limit : {0, 53, 54, 66, 77}) {
    FillingSink sink(limit);
    EXPECT_FALSE(WriteBmp(sink, slot)) << "limit " << limit;
  }
  FillingSink roomy(78);
  EXPECT_TRUE(WriteBmp(roomy, slot));
  FreeImage(slot);
}
