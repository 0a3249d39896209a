// Reading back the PNG files the program writes, independently of the writer: the chunk
// list walked by hand, the image data inflated with zlib, the pixels decoded by libpng's
// read side and by Qt, and the file checked by pngcheck.
#pragma once

#include <QByteArray>
#include <QImage>
#include <QProcess>
#include <QStandardPaths>
#include <QString>
#include <csetjmp>
#include <cstdint>
#include <cstring>
#include <gtest/gtest.h>
#include <png.h>
#include <string>
#include <vector>
#include <zlib.h>

namespace pngread {

struct Chunk {
  std::string type;
  std::vector<uint8_t> data;
};

inline uint32_t BigEndian32(const uint8_t *at) {
  return uint32_t(at[0]) << 24 | uint32_t(at[1]) << 16 | uint32_t(at[2]) << 8 | uint32_t(at[3]);
}

// The chunks after the signature, each with a correct CRC, up to the end of the file.
inline testing::AssertionResult ReadChunks(const std::vector<uint8_t> &file, std::vector<Chunk> &chunks) {
  static const uint8_t signature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  if (file.size() < 8 || std::memcmp(file.data(), signature, 8) != 0)
    return testing::AssertionFailure() << "no PNG signature";
  for (size_t at = 8; at < file.size();) {
    if (file.size() - at < 12)
      return testing::AssertionFailure() << "chunk cut short at " << at;
    const uint32_t length = BigEndian32(&file[at]);
    if (file.size() - at - 12 < length)
      return testing::AssertionFailure() << "chunk longer than the file at " << at;
    const uint8_t *typeAndData = &file[at + 4];
    const uint32_t crc = uint32_t(crc32(0, typeAndData, 4 + length));
    if (crc != BigEndian32(typeAndData + 4 + length))
      return testing::AssertionFailure() << "bad CRC at " << at;
    chunks.push_back({std::string(reinterpret_cast<const char *>(typeAndData), 4),
                      std::vector<uint8_t>(typeAndData + 4, typeAndData + 4 + length)});
    at += 12 + length;
  }
  return testing::AssertionSuccess();
}

inline std::vector<uint8_t> Inflate(const std::vector<uint8_t> &stream, size_t expectedSize, bool &ok) {
  std::vector<uint8_t> out(expectedSize + 1); // one spare byte shows a stream that is too long
  uLongf size = out.size();
  ok = uncompress(out.data(), &size, stream.data(), stream.size()) == Z_OK && size == expectedSize;
  out.resize(size);
  return out;
}

struct Memory {
  const std::vector<uint8_t> *file;
  size_t at;
};

inline void ReadFromMemory(png_structp png, png_bytep data, size_t length) {
  Memory *memory = static_cast<Memory *>(png_get_io_ptr(png));
  if (memory->file->size() - memory->at < length)
    png_error(png, "read past the end");
  std::memcpy(data, memory->file->data() + memory->at, length);
  memory->at += length;
}

inline void OnError(png_structp png, png_const_charp) { std::longjmp(png_jmpbuf(png), 1); }
inline void OnWarning(png_structp, png_const_charp) {}

// libpng's error return jumps here: nothing in this frame owns a destructor.
inline bool DecodeFrame(png_structp png, png_infop info, Memory *memory, std::vector<uint8_t> *pixels, uint32_t *width,
                        uint32_t *height, int *channels) {
  if (setjmp(png_jmpbuf(png)))
    return false;
  png_set_read_fn(png, memory, ReadFromMemory);
  png_read_info(png, info);
  *width = png_get_image_width(png, info);
  *height = png_get_image_height(png, info);
  *channels = png_get_channels(png, info);
  const size_t rowBytes = png_get_rowbytes(png, info);
  pixels->assign(rowBytes * *height, 0);
  for (uint32_t y = 0; y < *height; ++y)
    png_read_row(png, pixels->data() + y * rowBytes, nullptr);
  png_read_end(png, nullptr);
  return true;
}

// The pixels as libpng reads them, rows top-down, one byte per channel.
inline bool DecodeWithLibpng(const std::vector<uint8_t> &file, std::vector<uint8_t> &pixels, uint32_t &width,
                             uint32_t &height, int &channels) {
  png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, OnError, OnWarning);
  png_infop info = png ? png_create_info_struct(png) : nullptr;
  Memory memory{&file, 0};
  const bool ok = info && DecodeFrame(png, info, &memory, &pixels, &width, &height, &channels);
  png_destroy_read_struct(&png, &info, nullptr);
  return ok;
}

// Checks that file is a PNG as the program writes it (signature, IHDR, IDAT chunks, IEND
// and nothing else; 8 bits, no interlace; one zlib stream at level 9; filter None on every
// row) holding exactly pixels (rows top-down, channels bytes per pixel, 3 RGB or 4 RGBA),
// and that libpng and Qt both decode it to those pixels.
inline testing::AssertionResult IsPngOf(const std::vector<uint8_t> &file, int width, int height, int channels,
                                        const std::vector<uint8_t> &pixels) {
  std::vector<Chunk> chunks;
  if (auto read = ReadChunks(file, chunks); !read)
    return read;
  std::string order;
  std::vector<uint8_t> stream;
  for (const Chunk &chunk : chunks) {
    if (chunk.type != "IDAT" || order.empty() || order.substr(order.size() - 4) != "IDAT")
      order += chunk.type;
    if (chunk.type == "IDAT")
      stream.insert(stream.end(), chunk.data.begin(), chunk.data.end());
  }
  if (order != "IHDRIDATIEND")
    return testing::AssertionFailure() << "chunks " << order;
  const std::vector<uint8_t> &header = chunks.front().data;
  const std::vector<uint8_t> expectedHeader = {0,
                                               0,
                                               uint8_t(width >> 8),
                                               uint8_t(width),
                                               0,
                                               0,
                                               uint8_t(height >> 8),
                                               uint8_t(height),
                                               8,
                                               uint8_t(channels == 4 ? 6 : 2),
                                               0,
                                               0,
                                               0};
  if (header != expectedHeader)
    return testing::AssertionFailure() << "unexpected IHDR";
  if (stream.size() < 2 || (stream[1] >> 6) != 3)
    return testing::AssertionFailure() << "zlib stream not marked as compressed at the highest level";

  const size_t rowBytes = size_t(width) * channels;
  bool inflated = false;
  const std::vector<uint8_t> rows = Inflate(stream, (rowBytes + 1) * height, inflated);
  if (!inflated)
    return testing::AssertionFailure() << "the image data does not inflate to " << height << " rows";
  for (int y = 0; y < height; ++y) {
    const uint8_t *row = &rows[y * (rowBytes + 1)];
    if (row[0] != 0)
      return testing::AssertionFailure() << "row " << y << " has filter type " << int(row[0]);
    if (std::memcmp(row + 1, &pixels[y * rowBytes], rowBytes) != 0)
      return testing::AssertionFailure() << "row " << y << " holds other pixels";
  }

  std::vector<uint8_t> decoded;
  uint32_t decodedWidth = 0, decodedHeight = 0;
  int decodedChannels = 0;
  if (!DecodeWithLibpng(file, decoded, decodedWidth, decodedHeight, decodedChannels))
    return testing::AssertionFailure() << "libpng cannot read it";
  if (decodedWidth != uint32_t(width) || decodedHeight != uint32_t(height) || decodedChannels != channels ||
      decoded != pixels)
    return testing::AssertionFailure() << "libpng reads other pixels";

  const QImage byQt =
      QImage::fromData(QByteArray::fromRawData(reinterpret_cast<const char *>(file.data()), qsizetype(file.size())),
                       "PNG")
          .convertToFormat(channels == 4 ? QImage::Format_RGBA8888 : QImage::Format_RGB888);
  if (byQt.width() != width || byQt.height() != height)
    return testing::AssertionFailure() << "Qt cannot read it";
  for (int y = 0; y < height; ++y)
    if (std::memcmp(byQt.constScanLine(y), &pixels[y * rowBytes], rowBytes) != 0)
      return testing::AssertionFailure() << "Qt reads other pixels in row " << y;
  return testing::AssertionSuccess();
}

// pngcheck's verdict on the file at path.
inline testing::AssertionResult PngcheckAccepts(const QString &path) {
  if (QStandardPaths::findExecutable("pngcheck").isEmpty())
    return testing::AssertionFailure() << "pngcheck is not installed (scripts/install-deps.sh installs it)";
  QProcess check;
  check.start("pngcheck", {path});
  if (!check.waitForFinished(60000) || check.exitStatus() != QProcess::NormalExit || check.exitCode() != 0)
    return testing::AssertionFailure() << "pngcheck: " << check.readAllStandardOutput().toStdString();
  return testing::AssertionSuccess();
}

} // namespace pngread
