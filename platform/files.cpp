#include "platform/files.h"

#include <QFile>
#include <QSaveFile>
#include <sys/stat.h>

PathKindValue PathKind(const QString &path) {
  struct stat info;
  if (path.isEmpty() || stat(QFile::encodeName(path).constData(), &info) != 0)
    return PathMissing;
  if (S_ISREG(info.st_mode))
    return PathFile;
  if (S_ISDIR(info.st_mode))
    return PathFolder;
  return PathOther;
}

bool BufferSink::Write(const void *data, size_t size) {
  const uint8_t *bytesIn = static_cast<const uint8_t *>(data);
  bytes.insert(bytes.end(), bytesIn, bytesIn + size);
  return true;
}

namespace {
// Writes through a QSaveFile and remembers the first short write: QSaveFile::commit
// alone does not notice a write cut short (by a file-size limit, say).
class SaveFileSink : public ByteSink {
public:
  explicit SaveFileSink(QSaveFile &file) : file(file) {}
  bool Write(const void *data, size_t size) override {
    const char *at = static_cast<const char *>(data);
    while (ok && size > 0) {
      const qint64 written = file.write(at, qint64(size));
      if (written <= 0)
        ok = false;
      else {
        at += written;
        size -= size_t(written);
      }
    }
    return ok;
  }
  bool ok = true;

private:
  QSaveFile &file;
};
} // namespace

bool WriteFileSafely(const QString &path, const std::function<bool(ByteSink &)> &writer) {
  if (PathKind(path) == PathFolder || PathKind(path) == PathOther)
    return false;
  QSaveFile file(path);
  if (!file.open(QIODevice::WriteOnly))
    return false;
  SaveFileSink sink(file);
  if (!writer(sink) || !sink.ok || !file.flush()) {
    file.cancelWriting();
    file.commit(); // with writing cancelled, this only removes the temporary file
    return false;
  }
  return file.commit();
}
