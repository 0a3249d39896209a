#include "tilemap/mapformat.h"

#include <QIODevice>
#include <charconv>

namespace {

constexpr size_t chunkSize = 64 * 1024;
constexpr size_t longestLine = 13; // "-2147483648" and CR LF

enum LinePart { Leading, AfterSign, Digits, Rest };

int DigitValue(uint8_t byte, int base) {
  int digit = base; // does not fit
  if (byte >= '0' && byte <= '9')
    digit = byte - '0';
  else if (byte >= 'A' && byte <= 'F')
    digit = byte - 'A' + 10;
  else if (byte >= 'a' && byte <= 'f')
    digit = byte - 'a' + 10;
  return digit < base ? digit : -1;
}

bool IsLineEnd(uint8_t byte) { return byte == '\r' || byte == '\n' || byte == '\0'; }

// Reads one line's value a byte at a time, so the line itself is never stored.
class ValueParser {
public:
  void Take(uint8_t byte) {
    switch (part) {
    case Leading:
      if (byte == ' ' || byte == '\t')
        return;
      if (byte == '-' || byte == '+') {
        negative = byte == '-';
        part = AfterSign;
        return;
      }
      [[fallthrough]];
    case AfterSign:
      part = Digits;
      if (byte == '$' || byte == '%') {
        base = byte == '$' ? 16 : 2;
        return;
      }
      [[fallthrough]];
    case Digits:
      if (const int digit = DigitValue(byte, base); digit >= 0)
        magnitude = magnitude * unsigned(base) + unsigned(digit); // wraps past 64 bits
      else
        part = Rest;
      return;
    case Rest:
      return;
    }
  }

  // The low 32 bits of the 64-bit number, as a signed value.
  int32_t Value() const { return int32_t(uint32_t(negative ? 0 - magnitude : magnitude)); }

private:
  LinePart part = Leading;
  bool negative = false;
  int base = 10;
  uint64_t magnitude = 0;
};

} // namespace

bool WriteMapLines(ByteSink &sink, const std::vector<int32_t> &values) {
  char text[chunkSize];
  size_t used = 0;
  for (const int32_t value : values) {
    if (used + longestLine > sizeof text) {
      if (!sink.Write(text, used))
        return false;
      used = 0;
    }
    used = size_t(std::to_chars(text + used, text + sizeof text, value).ptr - text);
    text[used++] = '\r';
    text[used++] = '\n';
  }
  return used == 0 || sink.Write(text, used);
}

MapLineReader::MapLineReader(QIODevice &device) : device(device), buffer(chunkSize) {}

bool MapLineReader::Fill() {
  if (ended)
    return false;
  const qint64 got = device.read(buffer.data(), qint64(buffer.size()));
  if (got <= 0) {
    ended = true; // a failed read counts as the end of the file
    return false;
  }
  position = 0;
  filled = size_t(got);
  return true;
}

bool MapLineReader::PeekByte(uint8_t &byte) {
  if (position == filled && !Fill())
    return false;
  byte = uint8_t(buffer[position]);
  return true;
}

bool MapLineReader::TakeByte(uint8_t &byte) {
  if (!PeekByte(byte))
    return false;
  ++position;
  return true;
}

int32_t MapLineReader::NextValue() {
  ValueParser parser;
  uint8_t byte = 0;
  while (TakeByte(byte) && !IsLineEnd(byte))
    parser.Take(byte);
  if (byte == '\r' && PeekByte(byte) && byte == '\n')
    ++position;
  return parser.Value();
}
