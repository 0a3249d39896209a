// Writing a picture as an uncompressed Windows bitmap.
#pragma once

#include "platform/files.h"

// Writes the image in slot as BMP into sink: the 14-byte file header, the 40-byte
// information header, then the rows bottom-up as blue, green, red (and alpha for a
// 32-bit image), each padded with zero bytes to a multiple of 4. No colour table, no
// masks. False when the sink refused a byte; the sink then holds what came before.
bool WriteBmp(ByteSink &sink, int slot);
