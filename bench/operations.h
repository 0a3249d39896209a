// The benchmark's operations, each run in a process of its own so that memory peaks do
// not mix: wheel, grid, restore, swap, png-sheet, png-noise, bmp, open, map.
#pragma once

#include <QString>

// Runs the named operation with the program started; prints its table rows. False for
// an unknown name.
bool RunOperation(const QString &name);
