#include "tilemap/swap.h"

void CanvasPressed(int, int) {}
void CanvasReleased(int, int) {}
void SwapTiles(int, int, int, int) {}
