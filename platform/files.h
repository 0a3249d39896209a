// File facilities: what a path names, and writing a file so that it is never half there.
#pragma once

#include <QString>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

enum PathKindValue { PathMissing, PathFile, PathFolder, PathOther };

// What lies at path: nothing, a regular file (0 bytes included), a folder, or anything
// else (a device, a FIFO, a socket). Symbolic links are followed.
PathKindValue PathKind(const QString &path);

// Where a writer puts its bytes. Write returns false once anything could not be written.
class ByteSink {
public:
  virtual ~ByteSink() = default;
  virtual bool Write(const void *data, size_t size) = 0;
};

// Collects the bytes in memory, for tests and fuzzing.
class BufferSink : public ByteSink {
public:
  bool Write(const void *data, size_t size) override;
  std::vector<uint8_t> bytes;
};

// Runs writer into a temporary file beside path and moves it over path only when the
// writer returned true and every byte reached the disk. On false an existing file at
// path is exactly as it was and no temporary file is left.
bool WriteFileSafely(const QString &path, const std::function<bool(ByteSink &)> &writer);
