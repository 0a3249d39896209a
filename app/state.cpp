#include "app/state.h"

#include "platform/colour.h"

int32_t gridColor;
int32_t backColor;
int zoom;
int tileSize;
int gridOn;
int remapped;
int fromCol;
int fromRow;
int toCol;
int toRow;
int quitRequested;

void SetStartState() {
  gridColor = PackColour(255, 0, 255);
  backColor = PackColour(128, 128, 128);
  zoom = 1;
  quitRequested = 0;
  gridOn = 0;
  tileSize = 16;
  remapped = 0;
  fromCol = -1;
  fromRow = -1;
  toCol = -1;
  toRow = -1;
}
