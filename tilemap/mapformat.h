// The text of a map file, apart from any file: one decimal tile number per line,
// every line ended by CR LF, no header and no byte-order mark.
#pragma once

#include "platform/files.h"

#include <cstdint>
#include <vector>

class QIODevice;

// Writes every value as its own line: "-" before a negative value, no leading zeros,
// then CR LF. False once the sink refused a byte.
bool WriteMapLines(ByteSink &sink, const std::vector<int32_t> &values);

// Reads the values of a map file one line at a time, holding a fixed amount of memory
// however long a line or the file is.
//
// A line ends at CR, LF, CR LF (one end) or NUL. Its value: blanks and tabs skipped, an
// optional "-" or "+", then decimal digits, or hexadecimal digits after "$", or binary
// digits after "%", up to the first character that does not fit; no digits give 0. The
// number is taken with 64 bits and kept modulo 2^32 as a signed 32-bit value. Every
// non-ASCII character (a byte-order mark too) is one that does not fit.
class MapLineReader {
public:
  explicit MapLineReader(QIODevice &device);

  // The value of the next line; past the end of the input, that of an empty line: 0.
  int32_t NextValue();

private:
  bool Fill(); // false at the end of the input, or when reading fails
  bool TakeByte(uint8_t &byte);
  bool PeekByte(uint8_t &byte);

  QIODevice &device;
  std::vector<char> buffer;
  size_t position = 0;
  size_t filled = 0;
  bool ended = false;
};
