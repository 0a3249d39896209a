// Reading a picture file: the only place picture files are read.
#pragma once

#include <QString>

// Decodes the first picture in the file at path into slot as an image of the picture's
// size at depth bits (24: red, green, blue; 32 adds alpha 255). Transparent pixels are
// laid over black. Only regular files are read, no side may exceed maxImageSide, and a
// file cut short is refused.
// True on success; on failure the slot is left as it was.
bool DecodeImageFile(int slot, const QString &path, int depth);
