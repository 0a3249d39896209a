#include "bench/pictures.h"

#include <csetjmp>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <png.h>

QImage TileSheet(int width, int height) {
  constexpr int designs = 48;
  uint8_t palette[designs][3];
  for (int d = 0; d < designs; ++d) {
    palette[d][0] = uint8_t(40 + d * 37 % 200);
    palette[d][1] = uint8_t(30 + d * 91 % 210);
    palette[d][2] = uint8_t(20 + d * 53 % 220);
  }
  QImage sheet(width, height, QImage::Format_RGB888);
  for (int y = 0; y < height; ++y) {
    uint8_t *row = sheet.scanLine(y);
    const int tileRow = y / 16, ly = y % 16;
    for (int x = 0; x < width; ++x, row += 3) {
      const int tileCol = x / 16, lx = x % 16;
      const int d = (tileCol * 7 + tileRow * 13 + (tileCol * tileRow) % 5) % designs;
      const uint8_t *colour = palette[d];
      int shade = 0; // flat body
      if (lx == 0 || ly == 0 || lx == 15 || ly == 15)
        shade = -60; // outline
      else if (lx == ly || lx + ly == 15)
        shade = 50; // highlight
      else if ((lx * (d + 3) + ly * 5) % 13 == 0)
        shade = 25; // detail of the design
      else if (const uint32_t h = uint32_t(x) * 2654435761u ^ uint32_t(y) * 2246822519u; (h >> 13) % 6 == 0)
        shade = int(h >> 27) - 16; // speckle that differs from tile to tile
      for (int c = 0; c < 3; ++c) {
        const int value = colour[c] + shade;
        row[c] = uint8_t(value < 0 ? 0 : value > 255 ? 255 : value);
      }
    }
  }
  return sheet;
}

QImage Noise(int width, int height) {
  QImage noise(width, height, QImage::Format_RGB888);
  uint64_t state = 0x9E3779B97F4A7C15ull;
  for (int y = 0; y < height; ++y) {
    uint8_t *row = noise.scanLine(y);
    const size_t bytes = size_t(width) * 3;
    for (size_t at = 0; at < bytes; at += 8) {
      state ^= state << 13;
      state ^= state >> 7;
      state ^= state << 17;
      std::memcpy(row + at, &state, bytes - at < 8 ? bytes - at : 8);
    }
  }
  return noise;
}

namespace {

[[noreturn]] void OnPngError(png_structp png, png_const_charp) { std::longjmp(png_jmpbuf(png), 1); }

// Every libpng call runs in this frame, which owns nothing: an error jumps back here.
bool WriteRows(png_structp png, png_infop info, FILE *file, const QImage &picture, int level) {
  if (setjmp(png_jmpbuf(png)))
    return false;
  png_init_io(png, file);
  png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_NONE);
  png_set_compression_level(png, level);
  png_set_IHDR(png, info, png_uint_32(picture.width()), png_uint_32(picture.height()), 8, PNG_COLOR_TYPE_RGB,
               PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  for (int y = 0; y < picture.height(); ++y)
    png_write_row(png, picture.constScanLine(y));
  png_write_end(png, nullptr);
  return true;
}

} // namespace

bool WriteBarePng(const QString &path, const QImage &picture, int level) {
  FILE *file = std::fopen(path.toLocal8Bit().constData(), "wb");
  if (!file)
    return false;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, OnPngError, nullptr);
  png_infop info = png_create_info_struct(png);
  const bool written = WriteRows(png, info, file, picture, level);
  png_destroy_write_struct(&png, &info);
  return std::fclose(file) == 0 && written;
}
