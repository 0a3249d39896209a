// Saving the working picture as PNG or BMP.
#pragma once

// Asks for a path and a format and writes workImage at its own depth. Does nothing
// without a picture.
void SaveImageAs();
