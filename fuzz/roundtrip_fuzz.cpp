// The writers against Qt's readers: a small picture made from the input, written as PNG
// and as BMP into memory, reads back with the same pixels, size and opacity.
#include "image/bmpwriter.h"
#include "image/pngwriter.h"
#include "platform/files.h"
#include "platform/imagelib.h"

#include <QGuiApplication>
#include <QImage>
#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace {
constexpr int slot = 19;

void ExpectSamePixels(const BufferSink &sink, const char *format, int depth) {
  const QImage read = QImage::fromData(sink.bytes.data(), int(sink.bytes.size()), format);
  if (read.width() != ImageWidth(slot) || read.height() != ImageHeight(slot))
    std::abort();
  const QImage rgba = read.convertToFormat(QImage::Format_RGBA8888);
  const int bpp = depth / 8;
  for (int y = 0; y < rgba.height(); ++y) {
    const uint8_t *ours = ImageRowConst(slot, y);
    const uint8_t *theirs = rgba.constScanLine(y);
    for (int x = 0; x < rgba.width(); ++x) {
      if (std::memcmp(ours + x * bpp, theirs + x * 4, 3) != 0)
        std::abort();
      if (theirs[x * 4 + 3] != (depth == 32 ? ours[x * 4 + 3] : 255))
        std::abort();
    }
  }
}
} // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  new QGuiApplication(*argc, *argv); // lives for the whole run
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  if (size < 3)
    return 0;
  // Byte 0: width 1..40, byte 1: height 1..40, byte 2: depth; then the pixel bytes, repeated.
  const int width = data[0] % 40 + 1, height = data[1] % 40 + 1, depth = (data[2] & 1) ? 32 : 24;
  const uint8_t *pixels = data + 3;
  const size_t pixelBytes = size - 3;
  if (!CreateImage(slot, width, height, depth, 0))
    std::abort();
  size_t at = 0;
  for (int y = 0; y < height; ++y) {
    uint8_t *row = ImageRow(slot, y);
    for (int i = 0; i < width * depth / 8; ++i, ++at)
      row[i] = pixelBytes == 0 ? uint8_t(at * 37) : pixels[at % pixelBytes];
    // A saved picture is always opaque: grid operations make 32-bit pictures with alpha 255.
    if (depth == 32)
      for (int x = 0; x < width; ++x)
        row[x * 4 + 3] = 255;
  }
  BufferSink png, bmp;
  if (!WritePng(png, slot) || !WriteBmp(bmp, slot))
    std::abort();
  ExpectSamePixels(png, "PNG", depth);
  ExpectSamePixels(bmp, "BMP", depth);
  FreeImage(slot);
  return 0;
}
