#include "platform/zoompaint.h"

#include <QImage>
#include <algorithm>
#include <cstring>
#include <vector>

void PaintZoomed(const QImage &picture, int zoom, const QRect &area, QImage &out) {
  const int bpp = picture.format() == QImage::Format_RGBA8888 ? 4 : 3;
  const int viewWidth = picture.width() * zoom, viewHeight = picture.height() * zoom;
  const int left = std::max(area.left(), 0), right = std::min(area.left() + area.width(), viewWidth);
  const int top = std::max(area.top(), 0), bottom = std::min(area.top() + area.height(), viewHeight);
  if (left >= right || top >= bottom)
    return;
  std::vector<uint32_t> row(size_t(right - left));
  int builtFor = -1; // picture row that row currently holds
  for (int y = top; y < bottom; ++y) {
    const int sourceY = y / zoom;
    if (sourceY != builtFor) {
      const uint8_t *line = picture.constScanLine(sourceY);
      for (int x = left; x < right; ++x) {
        const uint8_t *p = line + (x / zoom) * bpp;
        row[size_t(x - left)] = 0xFF000000u | (uint32_t(p[0]) << 16) | (uint32_t(p[1]) << 8) | p[2];
      }
      builtFor = sourceY;
    }
    std::memcpy(reinterpret_cast<uint32_t *>(out.scanLine(y - area.top())) + (left - area.left()), row.data(),
                row.size() * 4);
  }
}
