// The application state: every procedure reads and writes these globals directly.
#pragma once

#include <cstdint>

extern int32_t gridColor; // colour of inserted grid lines, red + green * 256 + blue * 65536
extern int32_t backColor; // background of the view, constant for the run
extern int zoom;          // 1..10, screen pixels per picture pixel
extern int tileSize;      // 8 or 16, edge of a tile in pixels without grid
extern int gridOn;        // 0 or 1; 1 while workImage carries the grid; also the grid line's width
extern int remapped;      // 0 or 1; 1 while restoring the tile order is offered
extern int fromCol;       // tile column under the last left press on the canvas, -1 for none
extern int fromRow;       // tile row under the last left press on the canvas, -1 for none
extern int toCol;         // tile column under the release, -1 outside its handling
extern int toRow;         // tile row under the release, -1 outside its handling
extern int quitRequested; // 0 or 1; set by the close event, ends the event loop

// Distance in pixels between neighbouring tile origins in workImage: 8, 9, 16 or 17.
inline int CellPitch() { return tileSize + gridOn; }

// Image slots.
constexpr int workImage = 19;  // the picture as edited; 24 bits after loading, 32 after a grid operation
constexpr int viewImage = 20;  // unused: the canvas paints the enlarged view straight from workImage
constexpr int gridImage = 21;  // scratch of a grid operation
constexpr int tileImage = 22;  // scratch: one tile
constexpr int swapImageA = 23; // scratch of a swap: the tile pressed on
constexpr int swapImageB = 24; // scratch of a swap: the tile released on

// Sets every scalar to its start value.
void SetStartState();
