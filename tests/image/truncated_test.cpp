// A picture file cut short is refused: Qt's BMP, GIF and JPEG readers would hand back a
// full-size picture with the missing part made up, and saving it back would lose that part.
#include "image/openimage.h"
#include "image/truncation.h"
#include "tests/image/hostilefiles.h"

#include <QImageReader>

namespace {

struct Format {
  const char *name;
  QByteArray bytes;
  qsizetype signature; // shorter cuts are no longer recognisable as the format at all
  bool qtFillsIn;      // Qt's own reader accepts the file cut in half
};

// Pictures large enough that half of each file lies in its pixel data, with sides that
// need row padding in a BMP and pixels that differ from their neighbours.
std::vector<Format> Formats() {
  const QImage noise = PatternPicture(61, 47);
  std::vector<int> indices(40 * 30);
  for (size_t i = 0; i < indices.size(); ++i)
    indices[i] = int((i * 7 + i / 40) % 4);
  return {
      {"BMP 24-bit", Encoded(noise, "BMP"), 2, true},
      {"BMP 8-bit", Encoded(noise.convertToFormat(QImage::Format_Indexed8), "BMP"), 2, true},
      {"BMP 1-bit", Encoded(PatternPicture(250, 61).convertToFormat(QImage::Format_Mono), "BMP"), 2, true},
      {"GIF", GifBytes(40, 30, {indices}), 6, true},
      {"GIF, two frames", GifBytes(40, 30, {indices, indices}), 6, true},
      {"JPEG", Encoded(PatternPicture(160, 120), "JPEG"), 3, true},
      {"JPEG, progressive", Encoded(PatternPicture(160, 120), "JPEG", true), 3, true},
  };
}

// Every cut in the first and last few hundred bytes, and a spread of them in between.
std::vector<qsizetype> CutLengths(qsizetype signature, qsizetype size) {
  std::vector<qsizetype> lengths;
  for (qsizetype length = signature; length < size; length += (length < 400 || size - length < 400) ? 1 : 37)
    lengths.push_back(length);
  return lengths;
}

bool QtReadsFullSize(const QByteArray &bytes, QSize size) {
  QBuffer buffer;
  buffer.setData(bytes);
  buffer.open(QIODevice::ReadOnly);
  const QImage read = QImageReader(&buffer).read();
  return !read.isNull() && read.size() == size;
}

} // namespace

TEST(TruncatedPictures, EveryCutIsRefusedAndTheWholeFilePasses) {
  for (const Format &format : Formats()) {
    SCOPED_TRACE(format.name);
    ASSERT_GT(format.bytes.size(), 40);
    EXPECT_TRUE(FileLooksComplete(format.bytes));
    const QImage whole = QImage::fromData(format.bytes);
    ASSERT_FALSE(whole.isNull());
    if (format.qtFillsIn) { // why the check exists: the reader itself reports nothing
      EXPECT_TRUE(QtReadsFullSize(format.bytes.left(format.bytes.size() / 2), whole.size()));
    }
    for (qsizetype length : CutLengths(format.signature, format.bytes.size()))
      if (FileLooksComplete(QByteArrayView(format.bytes).first(length)))
        ADD_FAILURE() << "a cut to " << length << " of " << format.bytes.size() << " bytes passes";
  }
}

TEST(TruncatedPictures, WholeFilesInOtherShapesPass) {
  QByteArray topDown = Encoded(PatternPicture(13, 7), "BMP");
  const uint32_t negativeSeven = uint32_t(-7);
  for (int i = 0; i < 4; ++i)
    topDown[22 + i] = char((negativeSeven >> (8 * i)) & 0xFF);
  const QByteArray jpeg = Encoded(PatternPicture(40, 24), "JPEG");
  struct Case {
    const char *name;
    QByteArray bytes;
  };
  const std::vector<Case> cases = {
      {"BMP with rows top-down", topDown},
      {"BMP with bytes after the pixels", Encoded(PatternPicture(13, 7), "BMP") + QByteArray(9, 'x')},
      {"BMP with a wrong file size field",
       [] {
         QByteArray bmp = Encoded(PatternPicture(13, 7), "BMP");
         bmp[2] = bmp[3] = bmp[4] = bmp[5] = 0;
         return bmp;
       }()},
      {"JPEG padded with zeros", jpeg + QByteArray(16, '\0')},
      {"JPEG with bytes after its end", jpeg + QByteArray("trailing data")},
      {"GIF with bytes after its trailer", GifBytes(6, 5, {LetterIndices()}) + QByteArray(5, '\0')},
      {"PNG, left to its reader", Encoded(PatternPicture(13, 7), "PNG")},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_TRUE(FileLooksComplete(c.bytes));
    EXPECT_FALSE(QImage::fromData(c.bytes).isNull()); // and each is a picture Qt reads
  }
}

using TruncatedFiles = AppTest;

TEST_F(TruncatedFiles, OpeningACutFileKeepsThePictureAndItsMap) {
  std::vector<Format> formats = Formats();
  formats.push_back({"PNG", Encoded(PatternPicture(40, 24), "PNG"), 8, false});
  for (const Format &format : formats) {
    SCOPED_TRACE(format.name);
    const QString whole = TempPath("whole.pic");
    const QString cut = TempPath("cut.pic");
    WriteBytes(whole, format.bytes);
    WriteBytes(cut, format.bytes.left(format.bytes.size() / 2));
    StartWorkedPicture();
    const KeptState before = KeepState();
    OpenImage(cut);
    EXPECT_TRUE(KeepState() == before);
    OpenImage(whole); // the same file whole opens
    EXPECT_EQ(WorkPicture().size(), QImage::fromData(format.bytes).size());
    EXPECT_EQ(remapped, 0);
  }
}
