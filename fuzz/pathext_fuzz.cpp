// The extension rule: any text gives an extension that holds no separator, blank or
// double quote, is a tail of the path's last part right after a dot that is neither its
// first character nor the path's, and agrees with HasExtension.
#include "platform/pathtext.h"

#include <QString>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  const QString path = QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));
  const QString extension = PathExtension(path);
  for (const QChar c : extension)
    if (c == '/' || c == '\\' || c == ' ' || c == '"' || c == '.')
      std::abort();
  if (!extension.isEmpty()) {
    // The extension stands after a dot, and is followed by the end or a double quote.
    const qsizetype at = path.lastIndexOf("." + extension);
    if (at < 1)
      std::abort();
    const qsizetype after = at + 1 + extension.size();
    if (after != path.size() && path[after] != '"')
      std::abort();
    const QChar before = path[at - 1];
    if (before == '/' || before == '\\')
      std::abort();
    if (!HasExtension(path, UpperCase(extension)))
      std::abort();
  }
  return 0;
}
