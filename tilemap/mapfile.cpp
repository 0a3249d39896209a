#include "tilemap/mapfile.h"

#include "app/saveprompts.h"
#include "app/state.h"
#include "platform/dialogs.h"
#include "platform/files.h"
#include "platform/imagelib.h"
#include "platform/pathtext.h"
#include "tilemap/mapformat.h"
#include "tilemap/tilemap.h"

#include <QFile>

namespace {

const QString mapFilters = "ZIRF Image MapData (*.zirf-map)|*.zirf-map";

// The numbers of the whole tiles in reading order; the spare column and row are left out.
std::vector<int32_t> WholeTileNumbers() {
  std::vector<int32_t> numbers;
  numbers.reserve(size_t(tileCols) * size_t(tileRows));
  for (int row = 0; row < tileRows; ++row)
    for (int col = 0; col < tileCols; ++col)
      numbers.push_back(TileCell(col, row));
  return numbers;
}

// The path kept when its extension already is "zirf-map" in any letter case, lengthened otherwise.
QString WithMapExtension(const QString &path) { return HasExtension(path, "ZIRF-MAP") ? path : path + ".zirf-map"; }
} // namespace

void SaveMapAs() {
  if (!ImageExists(workImage))
    return;
  int chosenFilter = 0;
  const QString typed = AskSaveFileName("Please choose file to save..", "*.zirf-map", mapFilters, 0, chosenFilter);
  if (typed.isEmpty())
    return;
  const QString path = WithMapExtension(typed);
  if (!MayReplace(path))
    return;
  // A failed write leaves any file that was at path exactly as it was.
  const std::vector<int32_t> numbers = WholeTileNumbers();
  if (!WriteFileSafely(path, [&numbers](ByteSink &sink) { return WriteMapLines(sink, numbers); }))
    ReportSaveFailure(path);
}

void OpenMap(const QString &path) {
  if (!ImageExists(workImage))
    return;
  const QString chosen =
      path.isEmpty() ? AskOpenFileName("Please choose file to open..", "*.zirf-map", mapFilters, 0) : path;
  if (chosen.isEmpty())
    return;
  QFile file(chosen);
  if (PathKind(chosen) != PathFile || !file.open(QIODevice::ReadOnly))
    return; // a folder, a device or a FIFO is never opened, so nothing can block
  // Lines beyond the last whole tile are never read; a short file leaves 0 in the rest.
  MapLineReader reader(file);
  for (int row = 0; row < tileRows; ++row)
    for (int col = 0; col < tileCols; ++col)
      TileCell(col, row) = reader.NextValue();
  remapped = 1;
}
