#include "grid/grid.h"

#include "app/state.h"
#include "platform/imagelib.h"

#include <cstdint>
#include <cstring>

namespace {

// The constants that tell the four grid operations apart.
struct Relayout {
  int tile;        // T: edge of a tile without grid
  int sourcePitch; // S: distance of tile origins before the operation
  int targetPitch; // D: distance of tile origins after it
};

constexpr Relayout addGrid8{8, 8, 9};
constexpr Relayout addGrid16{16, 16, 17};
constexpr Relayout removeGrid8{8, 9, 8};
constexpr Relayout removeGrid16{16, 17, 16};

// Copies the colours of count pixels into a 32-bit row, every alpha 255: the alpha of
// the picture before never survives a grid operation.
void CopyOpaque(uint8_t *target, const uint8_t *source, int sourceBytesPerPixel, int count) {
  if (sourceBytesPerPixel == 4) {
    std::memcpy(target, source, size_t(count) * 4);
    for (int i = 0; i < count; ++i)
      target[4 * i + 3] = 255;
    return;
  }
  for (int i = 0; i < count; ++i, target += 4, source += 3) {
    target[0] = source[0];
    target[1] = source[1];
    target[2] = source[2];
    target[3] = 255;
  }
}

// Lays the whole tiles of workImage out again, targetPitch apart, on a field of gridColor
// that stays visible between them. Works row by row, each picture row read once. Rows
// and columns beyond the last whole tile, and when tiles move closer the row and column
// at offset T of every cell (whatever their colour), are simply not copied.
bool Relay(const Relayout &layout) {
  const int tile = layout.tile, from = layout.sourcePitch, to = layout.targetPitch;
  const int tilesAcross = ImageWidth(workImage) / from;
  const int tilesDown = ImageHeight(workImage) / from;
  if (tilesAcross == 0 || tilesDown == 0)
    return true; // no whole tile: nothing to lay out, the picture stays
  if (!CreateImage(gridImage, tilesAcross * to, tilesDown * to, 32, gridColor))
    return false;
  const int sourceBytesPerPixel = ImageDepth(workImage) / 8;
  for (int tileRow = 0; tileRow < tilesDown; ++tileRow)
    for (int y = 0; y < tile; ++y) {
      const uint8_t *source = ImageRowConst(workImage, tileRow * from + y);
      uint8_t *target = ImageRow(gridImage, tileRow * to + y);
      for (int tileCol = 0; tileCol < tilesAcross; ++tileCol)
        CopyOpaque(target + size_t(tileCol) * to * 4, source + size_t(tileCol) * from * sourceBytesPerPixel,
                   sourceBytesPerPixel, tile);
    }
  MoveImage(workImage, gridImage); // the new picture replaces the old one; gridImage is empty again
  return true;
}

} // namespace

bool AddGrid8() { return Relay(addGrid8); }
bool AddGrid16() { return Relay(addGrid16); }
bool RemoveGrid8() { return Relay(removeGrid8); }
bool RemoveGrid16() { return Relay(removeGrid16); }
