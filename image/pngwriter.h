// Writing a picture as PNG through libpng.
#pragma once

#include "platform/files.h"

// Writes the image in slot as PNG into sink: 8 bits per channel, colour type 2 (RGB)
// for a 24-bit image or 6 (RGBA) for a 32-bit one, no interlacing, filter None on every
// row, one zlib stream at level 9, and no chunk besides IHDR, IDAT and IEND. False when
// the sink refused a byte or libpng reported an error; the sink then holds what came before.
bool WritePng(ByteSink &sink, int slot);
