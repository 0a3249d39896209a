#include "image/saveimage.h"

#include "app/saveprompts.h"
#include "app/state.h"
#include "image/bmpwriter.h"
#include "image/pngwriter.h"
#include "platform/dialogs.h"
#include "platform/files.h"
#include "platform/imagelib.h"
#include "platform/pathtext.h"

namespace {

enum SaveFormat { SavePng, SaveBmp }; // in the order of the dialog's filter entries

// The path ending in the format's extension: kept when its extension already is the
// format's (in any letter case), lengthened otherwise, so photo.bmp saved as PNG
// becomes photo.bmp.png.
QString WithFormatExtension(const QString &path, SaveFormat format) {
  if (HasExtension(path, format == SavePng ? "PNG" : "BMP"))
    return path;
  return path + (format == SavePng ? ".png" : ".bmp");
}
} // namespace

void SaveImageAs() {
  if (!ImageExists(workImage))
    return;
  int chosenFilter = SavePng;
  const QString typed =
      AskSaveFileName("Please choose file to save..", "*.png",
                      "Portable Network Graphics (*.png)|*.png|Windows Bitmap (*.bmp)|*.bmp", SavePng, chosenFilter);
  if (typed.isEmpty())
    return;
  const SaveFormat format = chosenFilter == SavePng ? SavePng : SaveBmp;
  const QString path = WithFormatExtension(typed, format);
  if (!MayReplace(path))
    return;
  // A failed write leaves any file that was at path exactly as it was.
  const bool written = WriteFileSafely(path, [format](ByteSink &sink) {
    return format == SavePng ? WritePng(sink, workImage) : WriteBmp(sink, workImage);
  });
  if (!written)
    ReportSaveFailure(path);
}
