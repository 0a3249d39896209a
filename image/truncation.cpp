#include "image/truncation.h"

#include <QFile>
#include <cstdint>
#include <cstdlib>

namespace {

uint32_t Le16(QByteArrayView bytes, qsizetype at) {
  return uint32_t(uint8_t(bytes[at])) | uint32_t(uint8_t(bytes[at + 1])) << 8;
}

uint32_t Le32(QByteArrayView bytes, qsizetype at) { return Le16(bytes, at) | Le16(bytes, at + 2) << 16; }

bool StartsWith(QByteArrayView bytes, QByteArrayView magic) { return bytes.startsWith(magic); }

// The pixel data must lie inside the file. Its size is known only for uncompressed
// bitmaps (no compression, bit fields); of a compressed one only the start can be checked.
// The size field of the file header is not used: writers often leave it 0 or wrong.
bool BmpComplete(QByteArrayView bytes) {
  constexpr qsizetype fileHeader = 14;
  if (bytes.size() < fileHeader + 4)
    return false;
  const int64_t length = bytes.size();
  const int64_t offset = Le32(bytes, 10);
  const uint32_t infoSize = Le32(bytes, fileHeader);
  int64_t width = 0, height = 0;
  uint32_t bitCount = 0, compression = 0;
  if (infoSize == 12) { // the old OS/2 header: 16-bit sides, never compressed
    if (length < fileHeader + 12)
      return false;
    width = Le16(bytes, 18);
    height = Le16(bytes, 20);
    bitCount = Le16(bytes, 24);
  } else {
    if (infoSize < 16 || length < fileHeader + 20)
      return false;
    width = int32_t(Le32(bytes, 18));
    height = std::abs(int64_t(int32_t(Le32(bytes, 22)))); // negative: rows top-down
    bitCount = Le16(bytes, 28);
    if (infoSize >= 20)
      compression = Le32(bytes, 30);
  }
  if (offset >= length)
    return false;
  const bool uncompressed = compression == 0 || compression == 3 || compression == 6; // RGB, (alpha) bit fields
  const bool knownDepth = bitCount == 1 || bitCount == 2 || bitCount == 4 || bitCount == 8 || bitCount == 16 ||
                          bitCount == 24 || bitCount == 32;
  if (!uncompressed || !knownDepth || width <= 0)
    return true; // the reader judges the rest; its own checks refuse nonsense sides and depths
  const int64_t rowBytes = (width * bitCount + 31) / 32 * 4; // every row padded to 4 bytes
  // rowBytes * height <= length - offset, without overflowing for absurd sides
  return height == 0 || rowBytes <= (length - offset) / height;
}

// Walks the blocks of the file, skipping every sub-block by its length, up to the trailer.
bool GifComplete(QByteArrayView bytes) {
  const qsizetype length = bytes.size();
  constexpr qsizetype screenEnd = 13; // signature, version, logical screen descriptor
  if (length < screenEnd)
    return false;
  const auto tableBytes = [](uint8_t flags) { return (flags & 0x80) ? qsizetype(3) << ((flags & 7) + 1) : 0; };
  qsizetype at = screenEnd + tableBytes(uint8_t(bytes[10]));
  // Skips a chain of sub-blocks ended by an empty one; false when the file ends first.
  const auto skipSubBlocks = [&]() {
    while (at < length) {
      const uint8_t size = uint8_t(bytes[at++]);
      if (size == 0)
        return true;
      at += size;
    }
    return false;
  };
  while (at < length) {
    const uint8_t introducer = uint8_t(bytes[at++]);
    if (introducer == 0x3B)
      return true;            // the trailer: everything before it was there
    if (introducer == 0x21) { // extension: label, then sub-blocks
      ++at;
      if (!skipSubBlocks())
        return false;
    } else if (introducer == 0x2C) { // image: descriptor, local table, code size, data
      if (at + 9 > length)
        return false;
      const uint8_t flags = uint8_t(bytes[at + 8]);
      at += 9 + tableBytes(flags) + 1;
      if (!skipSubBlocks())
        return false;
    } else {
      return false; // not a block: the data ran out or is broken
    }
  }
  return false;
}

// Walks the markers from the start of image to the end-of-image marker, skipping every
// segment by its length and every scan's coded data up to the next marker.
bool JpegComplete(QByteArrayView bytes) {
  const qsizetype length = bytes.size();
  const auto byteAt = [&](qsizetype at) { return uint8_t(bytes[at]); };
  qsizetype at = 2; // after the start-of-image marker
  while (at < length) {
    if (byteAt(at) != 0xFF) {
      ++at; // stray bytes between segments, which decoders skip as well
      continue;
    }
    while (at < length && byteAt(at) == 0xFF)
      ++at; // fill bytes
    if (at >= length)
      return false;
    const uint8_t marker = byteAt(at++);
    if (marker == 0xD9)
      return true;
    if (marker == 0x00 || marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7))
      continue; // no length follows
    if (at + 2 > length)
      return false;
    at += qsizetype(byteAt(at)) << 8 | byteAt(at + 1);
    if (marker != 0xDA)
      continue;
    // Coded data: FF 00 is a data byte and FF D0..D7 a restart; any other FF xx a marker.
    while (at + 1 < length &&
           !(byteAt(at) == 0xFF && byteAt(at + 1) != 0x00 && !(byteAt(at + 1) >= 0xD0 && byteAt(at + 1) <= 0xD7)))
      ++at;
    if (at + 1 >= length)
      return false;
  }
  return false;
}

} // namespace

bool FileLooksComplete(QByteArrayView bytes) {
  if (StartsWith(bytes, "BM"))
    return BmpComplete(bytes);
  if (StartsWith(bytes, "GIF87a") || StartsWith(bytes, "GIF89a"))
    return GifComplete(bytes);
  if (StartsWith(bytes, "\xFF\xD8\xFF"))
    return JpegComplete(bytes);
  return true;
}

bool FileAtPathLooksComplete(const QString &path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly))
    return false;
  const qint64 size = file.size();
  if (size == 0)
    return true; // no format at all: the reader refuses it
  // Mapped, not read: a large file costs no memory of its own.
  const uchar *mapped = file.map(0, size);
  if (mapped != nullptr) {
    const bool complete = FileLooksComplete(QByteArrayView(mapped, size));
    file.unmap(const_cast<uchar *>(mapped));
    return complete;
  }
  return FileLooksComplete(file.readAll());
}
