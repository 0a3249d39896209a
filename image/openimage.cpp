#include "image/openimage.h"

#include "app/ids.h"
#include "app/mainwindow.h"
#include "app/state.h"
#include "image/decode.h"
#include "platform/dialogs.h"
#include "platform/imagelib.h"
#include "platform/ui.h"
#include "tilemap/tilemap.h"

static QString AskPicturePath() {
  return AskOpenFileName("Please choose file to open..", "*.*",
                         "Supported Images (*.bmp;*.jpg;*.png;*.gif)|*.bmp;*.jpg;*.png;*.gif", 0);
}

// The state every freshly opened picture starts in.
static void StartFreshPicture() {
  tileSize = 16;
  gridOn = 0;
  InitTileMap();
  remapped = 0;
  SetComboSelection(TileModeCombo, 1); // "16x16 Grid (default)"
  EnableControl(TileModeCombo, true);
  EnableControl(AddGridButton, true);
  EnableControl(RemoveGridButton, false);
}

void OpenImage(const QString &path) {
  const QString chosen = path.isEmpty() ? AskPicturePath() : path;
  if (!chosen.isEmpty()) {
    // Decoded aside first: a file that cannot be read leaves the current picture, its
    // tile map and every flag as they were.
    const int decoded = AllocateImageNumber();
    if (DecodeImageFile(decoded, chosen, 24)) {
      MoveImage(workImage, decoded);
      StartFreshPicture();
    }
  }
  UpdateControls();
}
