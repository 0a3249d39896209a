#include "image/decode.h"

#include "image/truncation.h"
#include "platform/files.h"
#include "platform/imagelib.h"

#include <QImage>
#include <QImageReader>

// Bound for readers that cannot tell the size before decoding: a 32767 x 32767 picture
// at 64 bits per pixel, the widest format the installed readers produce.
constexpr int unknownSizeLimitMegabytes = 8192;

static bool SideFits(int side) { return side >= 1 && side <= maxImageSide; }

// The picture as 24-bit red, green and blue. Alpha is dropped by laying every pixel
// over black: a fully transparent pixel becomes black and a half transparent one its
// colour at half brightness, whatever colour the file stored beneath the transparency.
static QImage WithoutAlpha(QImage picture) {
  if (picture.hasAlphaChannel()) {
    picture.convertTo(QImage::Format_RGBA8888_Premultiplied);
    // Premultiplied red, green and blue are the colours over black; the alpha byte goes.
    picture.reinterpretAsFormat(QImage::Format_RGBX8888);
  }
  picture.convertTo(QImage::Format_RGB888);
  return picture;
}

bool DecodeImageFile(int slot, const QString &path, int depth) {
  if ((depth != 24 && depth != 32) || PathKind(path) != PathFile)
    return false; // a folder, a device or a FIFO is never opened, so nothing can block
  if (!FileAtPathLooksComplete(path))
    return false; // the readers would fill in what is missing without a word
  QImageReader reader(path);
  reader.setAutoTransform(false); // pixels as stored, no EXIF rotation
  const QSize announced = reader.size();
  if (announced.isValid()) {
    if (!SideFits(announced.width()) || !SideFits(announced.height()))
      return false;                      // refused before anything is allocated
    QImageReader::setAllocationLimit(0); // the check above bounds what a reader allocates
  } else {
    QImageReader::setAllocationLimit(unknownSizeLimitMegabytes);
  }
  // The first call of read() gives the first frame of an animation.
  QImage picture = reader.read();
  // QT_IMAGEIO_MAXALLOC may have overridden the limit either way, so check what came back.
  if (picture.isNull() || !SideFits(picture.width()) || !SideFits(picture.height()))
    return false;
  picture = WithoutAlpha(std::move(picture));
  if (depth == 32)
    picture.convertTo(QImage::Format_RGBA8888); // opaque: alpha 255 everywhere
  if (picture.isNull())
    return false;
  AdoptImage(slot, std::move(picture));
  return true;
}
