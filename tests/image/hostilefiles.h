// Picture files for the tests of damaged and hostile input, built byte by byte where Qt
// cannot write them (GIF) or would never write them (headers that lie).
#pragma once

#include "app/state.h"
#include "platform/imagelib.h"
#include "tests/support/apptest.h"
#include "tilemap/tilemap.h"

#include <QBuffer>
#include <QByteArray>
#include <QImage>
#include <QImageWriter>
#include <cstdint>
#include <vector>
#include <zlib.h>

inline void AppendLe16(QByteArray &bytes, uint32_t value) {
  bytes.append(char(value & 0xFF));
  bytes.append(char((value >> 8) & 0xFF));
}

inline void AppendLe32(QByteArray &bytes, uint32_t value) {
  AppendLe16(bytes, value & 0xFFFF);
  AppendLe16(bytes, value >> 16);
}

inline void AppendBe32(QByteArray &bytes, uint32_t value) {
  for (int shift = 24; shift >= 0; shift -= 8)
    bytes.append(char((value >> shift) & 0xFF));
}

// A GIF of one or more frames of palette indices 0..3, screen and frames width x height.
// The coded data sends a clear code before every pixel, so every code stays 3 bits wide.
// With codedBytes >= 0 the first frame's data is cut to that many bytes and nothing follows.
inline QByteArray GifBytes(int width, int height, const std::vector<std::vector<int>> &frames, int codedBytes = -1) {
  QByteArray gif("GIF89a");
  AppendLe16(gif, uint32_t(width));
  AppendLe16(gif, uint32_t(height));
  gif.append(char(0x91)); // global table of 4 colours
  gif.append(char(0));
  gif.append(char(0));
  gif.append(QByteArray("\x00\x00\xFF"
                        "\xFF\x00\x00"
                        "\x00\xFF\x00"
                        "\xFA\xC8\x0A",
                        12));
  for (const std::vector<int> &indices : frames) {
    gif.append(QByteArray("\x21\xF9\x04\x00\x0A\x00\x00\x00", 8)); // frame delay, nothing transparent
    gif.append(char(0x2C));
    AppendLe16(gif, 0);
    AppendLe16(gif, 0);
    AppendLe16(gif, uint32_t(width));
    AppendLe16(gif, uint32_t(height));
    gif.append(char(0));
    gif.append(char(2)); // smallest code size
    QByteArray data;
    uint32_t bits = 0;
    int bitCount = 0;
    const auto put = [&](int code) {
      bits |= uint32_t(code) << bitCount;
      for (bitCount += 3; bitCount >= 8; bitCount -= 8, bits >>= 8)
        data.append(char(bits & 0xFF));
    };
    for (int index : indices) {
      put(4); // clear
      put(index);
    }
    put(5); // end of information
    if (bitCount > 0)
      data.append(char(bits & 0xFF));
    if (codedBytes >= 0) {
      data.truncate(codedBytes);
      gif.append(char(data.size()));
      gif.append(data);
      return gif;
    }
    for (qsizetype at = 0; at < data.size(); at += 255) {
      const QByteArray block = data.mid(at, 255);
      gif.append(char(block.size()));
      gif.append(block);
    }
    gif.append(char(0));
  }
  gif.append(char(0x3B));
  return gif;
}

// The palette indices of a 6 x 5 picture without symmetry.
inline std::vector<int> LetterIndices() {
  return {1, 1, 1, 1, 0, 0, 1, 0, 0, 0, 0, 2, 1, 1, 1, 0, 0, 0, 1, 0, 0, 0, 3, 0, 1, 0, 0, 0, 0, 2};
}

// picture encoded by Qt's writer for format ("PNG", "BMP", "JPEG").
inline QByteArray Encoded(const QImage &picture, const char *format, bool progressive = false) {
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  QImageWriter writer(&buffer, format);
  writer.setProgressiveScanWrite(progressive);
  writer.write(picture);
  return bytes;
}

inline QByteArray PngChunk(const char *type, const QByteArray &data) {
  QByteArray chunk;
  AppendBe32(chunk, uint32_t(data.size()));
  const QByteArray body = QByteArray(type, 4) + data;
  chunk.append(body);
  AppendBe32(chunk, uint32_t(crc32(0, reinterpret_cast<const Bytef *>(body.constData()), uInt(body.size()))));
  return chunk;
}

// A well-formed PNG whose header claims width x height (8-bit RGB) but whose image data
// holds only one compressed row of zeros.
inline QByteArray PngClaiming(uint32_t width, uint32_t height) {
  QByteArray header;
  AppendBe32(header, width);
  AppendBe32(header, height);
  header.append(QByteArray("\x08\x02\x00\x00\x00", 5));
  const QByteArray row(qsizetype(width) * 3 + 1, '\0');
  uLongf size = compressBound(uLong(row.size()));
  QByteArray packed(qsizetype(size), '\0');
  compress2(reinterpret_cast<Bytef *>(packed.data()), &size, reinterpret_cast<const Bytef *>(row.constData()),
            uLong(row.size()), 9);
  packed.truncate(qsizetype(size));
  return QByteArray("\x89PNG\r\n\x1a\n", 8) + PngChunk("IHDR", header) + PngChunk("IDAT", packed) +
         PngChunk("IEND", QByteArray());
}

// An uncompressed BMP header (file and info header, no palette) with the given fields,
// followed by dataBytes zero bytes of pixel data.
inline QByteArray BmpWithHeader(int32_t width, int32_t height, uint16_t bitCount, uint32_t offset, int dataBytes,
                                uint32_t compression = 0) {
  QByteArray bmp("BM");
  AppendLe32(bmp, uint32_t(54 + dataBytes));
  AppendLe32(bmp, 0);
  AppendLe32(bmp, offset);
  AppendLe32(bmp, 40);
  AppendLe32(bmp, uint32_t(width));
  AppendLe32(bmp, uint32_t(height));
  AppendLe16(bmp, 1);
  AppendLe16(bmp, bitCount);
  AppendLe32(bmp, compression);
  AppendLe32(bmp, uint32_t(dataBytes));
  AppendLe32(bmp, 2835);
  AppendLe32(bmp, 2835);
  AppendLe32(bmp, 0);
  AppendLe32(bmp, 0);
  bmp.append(QByteArray(dataBytes, '\0'));
  return bmp;
}

// The JPEG with the sides in its frame header replaced by width x height.
inline QByteArray JpegClaiming(QByteArray jpeg, int width, int height) {
  for (qsizetype at = 2; at + 9 < jpeg.size(); ++at)
    if (uint8_t(jpeg[at]) == 0xFF && (uint8_t(jpeg[at + 1]) == 0xC0 || uint8_t(jpeg[at + 1]) == 0xC2)) {
      jpeg[at + 5] = char(height >> 8);
      jpeg[at + 6] = char(height & 0xFF);
      jpeg[at + 7] = char(width >> 8);
      jpeg[at + 8] = char(width & 0xFF);
      break;
    }
  return jpeg;
}

// What a refused file must leave exactly as it was: the picture, its map and its tile state.
struct KeptState {
  QImage picture;
  int depth, tileSize, gridOn, remapped;
  std::vector<int32_t> map;
  bool operator==(const KeptState &) const = default;
};

inline KeptState KeepState() { return {WorkPicture(), ImageDepth(workImage), tileSize, gridOn, remapped, tileMap}; }

// A worked-on 48 x 40 picture: 8 x 8 tiles with two of them exchanged in the map.
inline void StartWorkedPicture() {
  OpenPicture(PatternPicture(48, 40));
  tileSize = 8;
  InitTileMap();
  std::swap(TileCell(0, 0), TileCell(3, 2));
  remapped = 1;
}
