#include "tilemap/resetcommands.h"

#include "app/ids.h"
#include "app/state.h"
#include "platform/dialogs.h"
#include "platform/imagelib.h"
#include "platform/ui.h"
#include "tilemap/tilemap.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

// The reading-order indices of the whole tiles, sorted by their numbers as signed
// values; tiles with equal numbers keep their reading order. Each sort key holds the
// number (shifted so that unsigned order is signed order) above the index: the keys are
// unique, so any sort of them gives the order of a stable sort by number.
std::vector<int32_t> TilesByNumber() {
  std::vector<uint64_t> keys;
  keys.reserve(size_t(tileCols) * size_t(tileRows));
  for (int row = 0; row < tileRows; ++row)
    for (int col = 0; col < tileCols; ++col) {
      const uint32_t number = uint32_t(TileCell(col, row)) ^ 0x80000000u;
      keys.push_back(uint64_t(number) << 32 | uint32_t(keys.size()));
    }
  std::sort(keys.begin(), keys.end());
  std::vector<int32_t> order(keys.size());
  for (size_t k = 0; k < keys.size(); ++k)
    order[k] = int32_t(uint32_t(keys[k]));
  return order;
}

// Builds the restored picture in target, an exact copy of workImage: the square of the
// k-th tile by number goes to the k-th whole-tile position in reading order. Every
// square is read from workImage, which stays untouched, so no tile is overwritten
// before it has been read. Partial edge tiles are neither read nor written.
void LayTilesByNumber(int target) {
  const std::vector<int32_t> order = TilesByNumber();
  // Where each tile goes, so that workImage is read front to back, line by line.
  std::vector<int32_t> destination(order.size());
  for (size_t k = 0; k < order.size(); ++k)
    destination[size_t(order[k])] = int32_t(k);
  const int pitch = CellPitch();
  const int bytesPerPixel = ImageDepth(workImage) / 8;
  const size_t squareBytes = size_t(pitch) * size_t(bytesPerPixel); // one line of a square
  const int64_t sourceStride = ImageBytesPerLine(workImage), targetStride = ImageBytesPerLine(target);
  const uint8_t *sourceTop = ImageRowConst(workImage, 0);
  uint8_t *targetTop = ImageRow(target, 0);
  // Line `line` of the square at whole-tile position `position` of target.
  auto targetLine = [&](int32_t position, int line) {
    const int col = position % tileCols, row = position / tileCols;
    return targetTop + (int64_t(row) * pitch + line) * targetStride + size_t(col) * squareBytes;
  };
  constexpr int lookAhead = 16; // squares; the writes land all over a large picture
  for (int row = 0; row < tileRows; ++row)
    for (int line = 0; line < pitch; ++line) {
      const int32_t *to = destination.data() + size_t(row) * size_t(tileCols);
      const uint8_t *in = sourceTop + (int64_t(row) * pitch + line) * sourceStride;
      for (int col = 0; col < tileCols; ++col, in += squareBytes) {
        if (col + lookAhead < tileCols)
          __builtin_prefetch(targetLine(to[col + lookAhead], line), 1);
        if (to[col] != row * tileCols + col) // a tile at home is already in place in the copy
          CopyColours(targetLine(to[col], line), bytesPerPixel, in, bytesPerPixel, pitch);
      }
    }
}

// The map always matches the picture; one that does not is left alone rather than
// read past the picture's edges.
bool MapFitsPicture() {
  const int pitch = CellPitch();
  return tileCols * pitch <= ImageWidth(workImage) && tileRows * pitch <= ImageHeight(workImage);
}

} // namespace

// The new picture is built beside the old one and then takes its place, so the view
// keeps showing the old picture until the next RefreshView. If the copy cannot be
// made for lack of memory, no tile moves.
void RestoreTiles() {
  if (ImageExists(workImage) && MapFitsPicture()) {
    const int restored = AllocateImageNumber();
    if (CopyImage(restored, workImage)) {
      LayTilesByNumber(restored);
      MoveImage(workImage, restored);
    }
  }
  remapped = 0;
}

void TileModeChanged() {
  // Restoring happens at the old tile size, before the map is rebuilt for the new one.
  if (remapped == 1 && AskYesNo("", "Reset alle remapped tiles?"))
    RestoreTiles();
  tileSize = ComboSelection(TileModeCombo) == 0 ? 8 : 16;
  InitTileMap();
}
