#include "platform/imagelib.h"

#include "platform/colour.h"

#include <QImage>
#include <algorithm>
#include <cstring>
#include <unordered_map>

static std::unordered_map<int, std::shared_ptr<QImage>> images; // slot number -> image

static QImage *Find(int slot) {
  auto it = images.find(slot);
  return it == images.end() ? nullptr : it->second.get();
}

static int BytesPerPixel(const QImage &image) { return image.format() == QImage::Format_RGBA8888 ? 4 : 3; }

static void FillRows(QImage &image, int32_t colour) {
  const int bpp = BytesPerPixel(image);
  const uint8_t pixel[4] = {uint8_t(RedOf(colour)), uint8_t(GreenOf(colour)), uint8_t(BlueOf(colour)), 255};
  uint8_t *first = image.bits();
  for (int x = 0; x < image.width(); ++x)
    std::memcpy(first + x * bpp, pixel, bpp);
  const size_t rowBytes = size_t(image.width()) * bpp;
  for (int y = 1; y < image.height(); ++y)
    std::memcpy(image.scanLine(y), first, rowBytes);
}

bool CreateImage(int slot, int width, int height, int depth, int32_t fillColour) {
  FreeImage(slot);
  if (width < 1 || height < 1 || width > maxImageSide || height > maxImageSide || (depth != 24 && depth != 32))
    return false;
  auto image = std::make_shared<QImage>(width, height, depth == 32 ? QImage::Format_RGBA8888 : QImage::Format_RGB888);
  if (image->isNull())
    return false;
  FillRows(*image, fillColour);
  images[slot] = std::move(image);
  return true;
}

bool CopyImage(int target, int source) {
  QImage *from = Find(source);
  if (!from)
    return false;
  if (target == source)
    return true;
  auto copy = std::make_shared<QImage>(from->copy());
  FreeImage(target);
  if (copy->isNull())
    return false;
  images[target] = std::move(copy);
  return true;
}

bool GrabImage(int target, int source, int x, int y, int width, int height) {
  QImage *from = Find(source);
  if (!from || target == source)
    return false;
  const int bpp = BytesPerPixel(*from);
  if (!CreateImage(target, width, height, bpp * 8, 0))
    return false;
  // Every channel of the part that lies on source, alpha included; the rest stays black.
  QImage *to = Find(target);
  const int left = std::max(0, x), right = std::min(from->width(), x + width);
  const int top = std::max(0, y), bottom = std::min(from->height(), y + height);
  const QImage &constFrom = *from;
  for (int row = top; row < bottom && left < right; ++row)
    std::memcpy(to->scanLine(row - y) + (left - x) * bpp, constFrom.constScanLine(row) + left * bpp,
                size_t(right - left) * bpp);
  return true;
}

void CopyColours(uint8_t *dst, int dstBpp, const uint8_t *src, int srcBpp, int n) {
  if (dstBpp == 3 && srcBpp == 3) {
    std::memcpy(dst, src, size_t(n) * 3);
  } else if (dstBpp == 4 && srcBpp == 4) {
    for (int i = 0; i < n; ++i) {
      uint32_t d, s;
      std::memcpy(&d, dst + 4 * i, 4);
      std::memcpy(&s, src + 4 * i, 4);
      const uint32_t alphaMask = 0xFF000000u; // byte 3 of each pixel, read little-endian
      d = (d & alphaMask) | (s & ~alphaMask);
      std::memcpy(dst + 4 * i, &d, 4);
    }
  } else {
    for (int i = 0; i < n; ++i)
      std::memcpy(dst + i * dstBpp, src + i * srcBpp, 3);
  }
}

void DrawImage(int target, int source, int x, int y) {
  QImage *to = Find(target);
  QImage *from = Find(source);
  if (!to || !from || to == from)
    return;
  const int left = std::max(0, x), right = std::min(to->width(), x + from->width());
  const int top = std::max(0, y), bottom = std::min(to->height(), y + from->height());
  if (left >= right || top >= bottom)
    return;
  const int dstBpp = BytesPerPixel(*to), srcBpp = BytesPerPixel(*from);
  const QImage &constFrom = *from;
  for (int row = top; row < bottom; ++row)
    CopyColours(to->scanLine(row) + left * dstBpp, dstBpp, constFrom.constScanLine(row - y) + (left - x) * srcBpp,
                srcBpp, right - left);
}

void DrawBox(int target, int x, int y, int width, int height, int32_t colour) {
  QImage *to = Find(target);
  if (!to)
    return;
  const int left = std::max(0, x), right = std::min(to->width(), x + width);
  const int top = std::max(0, y), bottom = std::min(to->height(), y + height);
  const uint8_t pixel[3] = {uint8_t(RedOf(colour)), uint8_t(GreenOf(colour)), uint8_t(BlueOf(colour))};
  const int bpp = BytesPerPixel(*to);
  for (int row = top; row < bottom; ++row) {
    uint8_t *line = to->scanLine(row);
    for (int col = left; col < right; ++col)
      std::memcpy(line + col * bpp, pixel, 3);
  }
}

void MoveImage(int target, int source) {
  if (target == source)
    return;
  auto it = images.find(source);
  if (it == images.end()) {
    FreeImage(target);
    return;
  }
  std::shared_ptr<QImage> image = std::move(it->second);
  images.erase(it);
  images[target] = std::move(image);
}

void AdoptImage(int slot, QImage &&image) {
  FreeImage(slot);
  images[slot] = std::make_shared<QImage>(std::move(image));
}

void FreeImage(int slot) { images.erase(slot); }

void FreeAllImages() { images.clear(); }

bool ImageExists(int slot) { return Find(slot) != nullptr; }

int ImageWidth(int slot) {
  QImage *image = Find(slot);
  return image ? image->width() : 0;
}

int ImageHeight(int slot) {
  QImage *image = Find(slot);
  return image ? image->height() : 0;
}

int ImageDepth(int slot) {
  QImage *image = Find(slot);
  return image ? BytesPerPixel(*image) * 8 : 0;
}

uint8_t *ImageRow(int slot, int y) { return Find(slot)->scanLine(y); }

const uint8_t *ImageRowConst(int slot, int y) { return static_cast<const QImage *>(Find(slot))->constScanLine(y); }

int64_t ImageBytesPerLine(int slot) { return Find(slot)->bytesPerLine(); }

int AllocateImageNumber() {
  int number = firstFreeImageNumber;
  while (images.count(number))
    ++number;
  return number;
}

std::shared_ptr<const QImage> ImageHandle(int slot) {
  auto it = images.find(slot);
  return it == images.end() ? nullptr : it->second;
}
