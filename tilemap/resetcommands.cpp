#include "tilemap/resetcommands.h"

#include "app/state.h"

void RestoreTiles() { remapped = 0; }
void TileModeChanged() {}
