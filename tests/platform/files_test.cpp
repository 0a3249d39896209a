// What a path names, and writing a file so that a failed write never costs the user the
// file that was already there.
#include "platform/files.h"
#include "tests/platform/filesizelimit.h"
#include "tests/support/apptest.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <gtest/gtest.h>
#include <unistd.h>
#include <vector>

namespace {

QByteArray ReadAll(const QString &path) {
  QFile file(path);
  EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << path.toStdString();
  return file.readAll();
}

// A writer handing bytes to the sink in pieces of chunk bytes.
std::function<bool(ByteSink &)> Writes(const QByteArray &bytes, qsizetype chunk) {
  return [bytes, chunk](ByteSink &sink) {
    for (qsizetype at = 0; at < bytes.size(); at += chunk)
      if (!sink.Write(bytes.constData() + at, size_t(std::min(chunk, bytes.size() - at))))
        return false;
    return true;
  };
}

QByteArray Pattern(qsizetype size) {
  QByteArray bytes(size, '\0');
  for (qsizetype i = 0; i < size; ++i)
    bytes[i] = char((i * 7 + i / 251) & 0xFF);
  return bytes;
}

class SafeWriting : public ::testing::Test {
protected:
  void SetUp() override { ASSERT_TRUE(folder.isValid()); }
  QString Path(const QString &name) const { return folder.filePath(name); }
  QTemporaryDir folder;
  const QByteArray oldBytes = "the user's old file\r\n";
};

} // namespace

TEST(PathKinds, TellFilesFromFoldersAndOtherThings) {
  QTemporaryDir folder;
  ASSERT_TRUE(folder.isValid());
  WriteBytes(folder.filePath("empty"), QByteArray());
  WriteBytes(folder.filePath("full"), "abc");
  ASSERT_TRUE(QDir(folder.path()).mkdir("inner"));
  ASSERT_TRUE(QFile::link(folder.filePath("inner"), folder.filePath("link to inner")));
  struct Case {
    QString path;
    PathKindValue kind;
  };
  const std::vector<Case> cases = {
      {folder.filePath("missing"), PathMissing},
      {folder.filePath("empty"), PathFile},
      {folder.filePath("full"), PathFile},
      {folder.filePath("inner"), PathFolder},
      {folder.filePath("link to inner"), PathFolder},
      {"/dev/null", PathOther},
      {QString(), PathMissing},
  };
  for (const Case &c : cases)
    EXPECT_EQ(PathKind(c.path), c.kind) << c.path.toStdString();
}

TEST(BufferSinks, KeepEveryByteInOrder) {
  BufferSink sink;
  EXPECT_TRUE(sink.Write("ab", 2));
  EXPECT_TRUE(sink.Write("", 0));
  EXPECT_TRUE(sink.Write("cde", 3));
  EXPECT_EQ(sink.bytes, (std::vector<uint8_t>{'a', 'b', 'c', 'd', 'e'}));
}

TEST_F(SafeWriting, CreatesAndReplacesFilesWithExactlyTheBytesWritten) {
  const QByteArray bytes = Pattern(100000);
  ASSERT_TRUE(WriteFileSafely(Path("new.bin"), Writes(bytes, 333)));
  EXPECT_EQ(ReadAll(Path("new.bin")), bytes);

  WriteBytes(Path("old.bin"), oldBytes);
  ASSERT_TRUE(WriteFileSafely(Path("old.bin"), Writes("short", 5)));
  EXPECT_EQ(ReadAll(Path("old.bin")), "short");
  EXPECT_EQ(FolderEntries(folder.path()), QStringList({"new.bin", "old.bin"}));
}

TEST_F(SafeWriting, AWriterThatGivesUpLeavesNothingBehind) {
  WriteBytes(Path("old.bin"), oldBytes);
  const auto givesUp = [](ByteSink &sink) { return sink.Write("partial", 7) && false; };
  EXPECT_FALSE(WriteFileSafely(Path("old.bin"), givesUp));
  EXPECT_FALSE(WriteFileSafely(Path("new.bin"), givesUp));
  EXPECT_EQ(ReadAll(Path("old.bin")), oldBytes);
  EXPECT_EQ(FolderEntries(folder.path()), QStringList({"old.bin"}));
}

TEST_F(SafeWriting, FoldersAndMissingFoldersAreNotWritten) {
  ASSERT_TRUE(QDir(folder.path()).mkdir("pictures.png"));
  EXPECT_FALSE(WriteFileSafely(Path("pictures.png"), Writes("x", 1)));
  EXPECT_EQ(PathKind(Path("pictures.png")), PathFolder);
  EXPECT_FALSE(WriteFileSafely(Path("no such folder/tiles.png"), Writes("x", 1)));
  EXPECT_EQ(FolderEntries(folder.path()), QStringList({"pictures.png"}));
  EXPECT_TRUE(FolderEntries(Path("pictures.png")).isEmpty());
}

// A disk that fills up midway: one write cut short (which QSaveFile alone would commit as
// a truncated file) and many small buffered writes that fail only when flushed.
TEST_F(SafeWriting, AWriteCutShortKeepsTheOldFile) {
  struct Case {
    const char *name;
    qsizetype chunk;
  };
  const std::vector<Case> cases = {{"one large write", 1 << 20}, {"small writes", 1000}};
  const QByteArray bytes = Pattern(1 << 20);
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    WriteBytes(Path("old.bin"), oldBytes);
    bool written;
    {
      FileSizeLimit limit(64 * 1024);
      written = WriteFileSafely(Path("old.bin"), Writes(bytes, c.chunk));
    }
    EXPECT_FALSE(written);
    EXPECT_EQ(ReadAll(Path("old.bin")), oldBytes);
    EXPECT_EQ(FolderEntries(folder.path()), QStringList({"old.bin"}));
  }
}

TEST_F(SafeWriting, AReadOnlyFolderKeepsTheOldFile) {
  WriteBytes(Path("old.bin"), oldBytes);
  QFile::setPermissions(folder.path(), QFile::ReadOwner | QFile::ExeOwner);
  const bool written = WriteFileSafely(Path("old.bin"), Writes("new", 3));
  QFile::setPermissions(folder.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
  if (geteuid() != 0) // the superuser writes into read-only folders all the same
    EXPECT_FALSE(written);
  else
    EXPECT_TRUE(written);
  EXPECT_EQ(ReadAll(Path("old.bin")), written ? QByteArray("new") : oldBytes);
  EXPECT_EQ(FolderEntries(folder.path()), QStringList({"old.bin"}));
}
