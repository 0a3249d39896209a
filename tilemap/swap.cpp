#include "tilemap/swap.h"

#include "app/mainwindow.h"
#include "app/state.h"
#include "image/view.h"
#include "platform/imagelib.h"
#include "tilemap/tilemap.h"

#include <utility>

// The tile column or row under a canvas coordinate at the pitch and zoom of this moment.
static int TileUnder(int coordinate) { return coordinate / (CellPitch() * zoom); }

static bool IsWholeTile(int col, int row) { return col >= 0 && col < tileCols && row >= 0 && row < tileRows; }

void CanvasPressed(int x, int y) {
  fromCol = TileUnder(x);
  fromRow = TileUnder(y);
}

void CanvasReleased(int x, int y) {
  toCol = TileUnder(x);
  toRow = TileUnder(y);
  const bool pressPending = fromCol != -1 && fromRow != -1;
  if (pressPending && (fromCol != toCol || fromRow != toRow)) {
    SwapTiles(fromCol, fromRow, toCol, toRow);
    RefreshView();
    UpdateControls();
  }
  fromCol = fromRow = toCol = toRow = -1;
}

// Only whole tiles are exchanged: a partial tile at the right or bottom edge would hand
// the whole tile black where it does not fit, and its number to a spare cell from which
// restoring can never bring it home.
void SwapTiles(int fromCol, int fromRow, int toCol, int toRow) {
  if (!ImageExists(workImage) || !IsWholeTile(fromCol, fromRow) || !IsWholeTile(toCol, toRow))
    return;
  const int pitch = CellPitch();
  // Both squares are copied before either is drawn; each holds its grid lines, if any.
  const bool copied = GrabImage(swapImageA, workImage, fromCol * pitch, fromRow * pitch, pitch, pitch) &&
                      GrabImage(swapImageB, workImage, toCol * pitch, toRow * pitch, pitch, pitch);
  if (copied) {
    DrawImage(workImage, swapImageA, toCol * pitch, toRow * pitch);
    DrawImage(workImage, swapImageB, fromCol * pitch, fromRow * pitch);
    std::swap(TileCell(fromCol, fromRow), TileCell(toCol, toRow));
    remapped = 1;
  }
  FreeImage(swapImageA);
  FreeImage(swapImageB);
}
