// Reading a picture file: the only place picture files are read.
#pragma once

#include <QString>

// Decodes the file at path into slot as an image of the picture's size at depth bits
// (24: red, green, blue; any alpha dropped). True on success; on failure the slot is
// left as it was.
bool DecodeImageFile(int slot, const QString &path, int depth);
