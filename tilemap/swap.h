// Exchanging two tiles by dragging with the left mouse button on the canvas.
#pragma once

// Left button pressed at canvas position (x, y): records the tile under the pointer.
void CanvasPressed(int x, int y);

// Left button released at (x, y): exchanges the pressed tile with this one when they differ.
void CanvasReleased(int x, int y);

// Exchanges the squares of two tiles in workImage and their cells in the tile map.
void SwapTiles(int fromCol, int fromRow, int toCol, int toRow);
