// The PNG writer: exactly the chunks, header fields, row filters and pixels the program
// promises, readable by libpng, Qt and pngcheck alike.
#include "image/pngwriter.h"
#include "platform/imagelib.h"
#include "tests/image/fillingsink.h"
#include "tests/image/pictures.h"
#include "tests/image/pngread.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

struct PngCase {
  std::string name;
  int width, height, depth;
  PixelRule rule;
};

void PrintTo(const PngCase &c, std::ostream *out) { *out << c.name; }

class PngWriting : public ::testing::TestWithParam<PngCase> {
protected:
  void SetUp() override { slot = AllocateImageNumber(); }
  void TearDown() override { FreeImage(slot); }
  int slot = 0;
};

} // namespace

TEST_P(PngWriting, WritesTheChunksFiltersAndPixelsPromised) {
  const PngCase &c = GetParam();
  AdoptImage(slot, Paint(c.width, c.height, c.depth, c.rule));
  BufferSink sink;
  ASSERT_TRUE(WritePng(sink, slot));
  EXPECT_TRUE(
      pngread::IsPngOf(sink.bytes, c.width, c.height, c.depth / 8, RowBytes(c.width, c.height, c.depth / 8, c.rule)));

  QTemporaryDir folder;
  ASSERT_TRUE(folder.isValid());
  QFile file(folder.filePath("written.png"));
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  ASSERT_EQ(file.write(reinterpret_cast<const char *>(sink.bytes.data()), qint64(sink.bytes.size())),
            qint64(sink.bytes.size()));
  file.close();
  EXPECT_TRUE(pngread::PngcheckAccepts(file.fileName()));
}

// Widths 1 to 3 give every row length modulo 4; the large noisy picture needs several
// IDAT chunks, which must still form one zlib stream.
INSTANTIATE_TEST_SUITE_P(Pictures, PngWriting,
                         ::testing::Values(PngCase{"F24", 6, 5, 24, LetterF}, PngCase{"F32", 6, 5, 32, LetterF},
                                           PngCase{"Width1", 1, 3, 24, Noise}, PngCase{"Width2", 2, 3, 32, Noise},
                                           PngCase{"Width3", 3, 2, 24, Noise}, PngCase{"Large", 300, 200, 32, Noise}),
                         [](const auto &info) { return info.param.name; });

TEST(PngWritingFails, WhenTheSinkRefusesBytes) {
  const int slot = AllocateImageNumber();
  AdoptImage(slot, Paint(300, 200, 24, Noise));
  BufferSink whole;
  ASSERT_TRUE(WritePng(whole, slot));
  // Cut in the signature, in the header, in the image data and in the end chunk.
  for (size_t limit : {size_t(0), size_t(5), size_t(20), whole.bytes.size() / 2, whole.bytes.size() - 1}) {
    FillingSink sink(limit);
    EXPECT_FALSE(WritePng(sink, slot)) << "limit " << limit;
  }
  FillingSink roomy(whole.bytes.size());
  EXPECT_TRUE(WritePng(roomy, slot)); // a failed write leaves nothing behind that spoils the next
  FreeImage(slot);
}
