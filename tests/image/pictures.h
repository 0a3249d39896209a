// Small asymmetric pictures for the writers' tests, and the bytes a file must hold for
// them, both made from one rule per picture so the expectation never comes from the
// code under test.
#pragma once

#include <QImage>
#include <cstdint>
#include <functional>
#include <vector>

struct Rgb {
  uint8_t red, green, blue;
};

using PixelRule = std::function<Rgb(int x, int y)>;

// A red "F" on blue, 6 x 5: neither mirror image nor a red/blue swap looks the same.
inline Rgb LetterF(int x, int y) {
  static const char *const rows[5] = {".####.", ".#....", ".###..", ".#....", ".#...."};
  return rows[y][x] == '#' ? Rgb{200, 10, 20} : Rgb{30, 40, 220};
}

// Every pixel differs from its neighbours.
inline Rgb Noise(int x, int y) { return Rgb{uint8_t(x * 7 + y), uint8_t(y * 13 ^ x), uint8_t(x * y + 5)}; }

// The picture at depth 24 (RGB888) or 32 (RGBA8888, every alpha 255).
inline QImage Paint(int width, int height, int depth, const PixelRule &rule) {
  QImage picture(width, height, depth == 32 ? QImage::Format_RGBA8888 : QImage::Format_RGB888);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      const Rgb c = rule(x, y);
      picture.setPixel(x, y, qRgba(c.red, c.green, c.blue, 255));
    }
  return picture;
}

// Rows top-down, red, green, blue (and alpha 255 for 4 channels), no padding.
inline std::vector<uint8_t> RowBytes(int width, int height, int channels, const PixelRule &rule) {
  std::vector<uint8_t> bytes;
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      const Rgb c = rule(x, y);
      bytes.insert(bytes.end(), {c.red, c.green, c.blue});
      if (channels == 4)
        bytes.push_back(255);
    }
  return bytes;
}
