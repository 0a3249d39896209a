// Picture decoding: any bytes in a file either fail to load, leaving the slot as it was,
// or give an image of 1..maxImageSide pixels a side at the asked depth.
#include "image/decode.h"
#include "platform/imagelib.h"

#include <QFile>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <cstdint>
#include <cstdlib>
#include <memory>

namespace {
constexpr int slot = 19;
std::unique_ptr<QTemporaryDir> folder;
} // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  new QGuiApplication(*argc, *argv); // lives for the whole run
  folder = std::make_unique<QTemporaryDir>();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  if (size < 1)
    return 0;
  // The first byte picks the depth; the rest is the file.
  const int depth = (data[0] & 1) ? 32 : 24;
  const QString path = folder->filePath("picture");
  {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
      std::abort();
    file.write(reinterpret_cast<const char *>(data + 1), qint64(size - 1));
  }
  // A marker picture in the slot shows whether a failed load left it alone.
  if (!CreateImage(slot, 3, 2, 24, 0))
    std::abort();
  ImageRow(slot, 1)[5] = 77;
  if (DecodeImageFile(slot, path, depth)) {
    if (ImageDepth(slot) != depth || ImageWidth(slot) < 1 || ImageHeight(slot) < 1 || ImageWidth(slot) > maxImageSide ||
        ImageHeight(slot) > maxImageSide)
      std::abort();
    if (depth == 32)
      for (int y = 0; y < ImageHeight(slot); ++y)
        for (int x = 0; x < ImageWidth(slot); ++x)
          if (ImageRowConst(slot, y)[x * 4 + 3] != 255)
            std::abort();
  } else if (ImageWidth(slot) != 3 || ImageHeight(slot) != 2 || ImageDepth(slot) != 24 ||
             ImageRowConst(slot, 1)[5] != 77) {
    std::abort();
  }
  FreeImage(slot);
  return 0;
}
