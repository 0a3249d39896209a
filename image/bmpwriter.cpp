#include "image/bmpwriter.h"

#include "platform/imagelib.h"

#include <cstdint>
#include <limits>
#include <vector>

namespace {

constexpr int headerBytes = 54; // file header 14 + information header 40

void Put16(std::vector<uint8_t> &out, uint32_t value) {
  out.push_back(uint8_t(value));
  out.push_back(uint8_t(value >> 8));
}

void Put32(std::vector<uint8_t> &out, uint32_t value) {
  Put16(out, value & 0xFFFF);
  Put16(out, value >> 16);
}

std::vector<uint8_t> Header(uint32_t fileSize, int width, int height, int bitsPerPixel, uint32_t pixelBytes) {
  std::vector<uint8_t> header;
  header.push_back('B');           //  0 signature
  header.push_back('M');           //  1
  Put32(header, fileSize);         //  2 file size
  Put16(header, 0);                //  6 reserved
  Put16(header, 0);                //  8 reserved
  Put32(header, headerBytes);      // 10 offset of the pixel data
  Put32(header, 40);               // 14 size of the information header
  Put32(header, uint32_t(width));  // 18 width
  Put32(header, uint32_t(height)); // 22 height, positive: rows bottom-up
  Put16(header, 1);                // 26 colour planes
  Put16(header, bitsPerPixel);     // 28 bits per pixel
  Put32(header, 0);                // 30 compression: none
  Put32(header, pixelBytes);       // 34 size of the pixel data
  Put32(header, 0);                // 38 horizontal resolution
  Put32(header, 0);                // 42 vertical resolution
  Put32(header, 0);                // 46 colours used
  Put32(header, 0);                // 50 important colours
  return header;
}

// One picture row in BMP order: blue, green, red (, alpha); the padding stays 0.
void StoreRow(uint8_t *out, const uint8_t *row, int width, int bytesPerPixel) {
  for (int x = 0; x < width; ++x, out += bytesPerPixel, row += bytesPerPixel) {
    out[0] = row[2];
    out[1] = row[1];
    out[2] = row[0];
    if (bytesPerPixel == 4)
      out[3] = row[3];
  }
}

} // namespace

bool WriteBmp(ByteSink &sink, int slot) {
  if (!ImageExists(slot))
    return false;
  const int width = ImageWidth(slot), height = ImageHeight(slot), bitsPerPixel = ImageDepth(slot);
  const int bytesPerPixel = bitsPerPixel / 8;
  const uint64_t storedRow = (uint64_t(width) * bytesPerPixel + 3) / 4 * 4;
  const uint64_t pixelBytes = storedRow * uint64_t(height);
  const uint64_t fileSize = headerBytes + pixelBytes;
  if (fileSize > std::numeric_limits<uint32_t>::max())
    return false; // cannot be stated in the header

  const std::vector<uint8_t> header = Header(uint32_t(fileSize), width, height, bitsPerPixel, uint32_t(pixelBytes));
  if (header.size() != headerBytes || !sink.Write(header.data(), header.size()))
    return false;
  uint64_t written = header.size();
  std::vector<uint8_t> stored(storedRow, 0);
  for (int y = height - 1; y >= 0; --y) {
    StoreRow(stored.data(), ImageRowConst(slot, y), width, bytesPerPixel);
    if (!sink.Write(stored.data(), stored.size()))
      return false;
    written += stored.size();
  }
  return written == fileSize;
}
