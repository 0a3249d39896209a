// The map-file reader against a plain reading of its rules: any bytes give, for a map of
// any size, the same values as parsing the whole text at once, and never more memory
// than the reader's fixed buffer.
#include "tilemap/mapformat.h"

#include <QBuffer>
#include <QByteArray>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

int DigitOf(uint8_t byte, unsigned base) {
  unsigned digit = base;
  if (byte >= '0' && byte <= '9')
    digit = byte - '0';
  else if (byte >= 'a' && byte <= 'f')
    digit = byte - 'a' + 10;
  else if (byte >= 'A' && byte <= 'F')
    digit = byte - 'A' + 10;
  return digit < base ? int(digit) : -1;
}

// The value of one line of text, without its end.
int32_t LineValue(const uint8_t *text, size_t length) {
  size_t at = 0;
  while (at < length && (text[at] == ' ' || text[at] == '\t'))
    ++at;
  bool negative = false;
  if (at < length && (text[at] == '-' || text[at] == '+'))
    negative = text[at++] == '-';
  unsigned base = 10;
  if (at < length && (text[at] == '$' || text[at] == '%'))
    base = text[at++] == '$' ? 16 : 2;
  uint64_t number = 0;
  for (; at < length && DigitOf(text[at], base) >= 0; ++at)
    number = number * base + uint64_t(DigitOf(text[at], base));
  if (negative)
    number = 0 - number;
  return int32_t(uint32_t(number & 0xFFFFFFFFu));
}

// Every line's value in order: lines end at CR, LF, CR LF or NUL; a last line without an
// end counts too, and past the end every value is 0.
std::vector<int32_t> AllValues(const uint8_t *data, size_t size, size_t count) {
  std::vector<int32_t> values;
  size_t start = 0;
  while (values.size() < count && start < size) {
    size_t end = start;
    while (end < size && data[end] != '\r' && data[end] != '\n' && data[end] != '\0')
      ++end;
    values.push_back(LineValue(data + start, end - start));
    if (end < size && data[end] == '\r' && end + 1 < size && data[end + 1] == '\n')
      ++end;
    start = end + 1;
  }
  values.resize(count, 0);
  return values;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  if (size < 2)
    return 0;
  // The first two bytes give the map's size: up to 256 x 256 whole tiles.
  const size_t count = (size_t(data[0]) + 1) * (size_t(data[1]) + 1);
  data += 2;
  size -= 2;
  QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
  QBuffer device(&bytes);
  device.open(QIODevice::ReadOnly);
  MapLineReader reader(device);
  const std::vector<int32_t> expected = AllValues(data, size, count);
  for (size_t i = 0; i < count; ++i)
    if (reader.NextValue() != expected[i])
      std::abort();
  return 0;
}
