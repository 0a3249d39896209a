// Faults injected while saving pictures and maps: a full disk, a read-only folder, a
// folder as the target, a folder that is gone, symbolic links, a kill partway, and a
// writer whose bytes are refused. An existing file must come out byte-identical, no
// temporary file may stay, the warning names the path and the program's state is as it was.
#include "app/ids.h"
#include "app/state.h"
#include "image/bmpwriter.h"
#include "image/pngwriter.h"
#include "platform/files.h"
#include "platform/imagelib.h"
#include "tests/platform/filesizelimit.h"
#include "tests/support/apptest.h"
#include "tilemap/tilemap.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <csignal>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

const QString saveTitle = "Please choose file to save..";
const QString pictureFilters = "Portable Network Graphics (*.png)|*.png|Windows Bitmap (*.bmp)|*.bmp";
const QString mapFilters = "ZIRF Image MapData (*.zirf-map)|*.zirf-map";

// What is saved: the picture as PNG or BMP, or the map. The path typed carries the extension.
struct Target {
  const char *name;
  int menu;
  QString filters;
  int entry;
  QString extension;
};
const std::vector<Target> targets = {
    {"png", MenuSaveImage, pictureFilters, 0, ".png"},
    {"bmp", MenuSaveImage, pictureFilters, 1, ".bmp"},
    {"map", MenuSaveMap, mapFilters, 0, ".zirf-map"},
};

DialogStep SaveDialog(const Target &target, const QString &path) {
  DialogStep step;
  step.kind = SaveFileDialog;
  step.title = saveTitle;
  step.text = target.filters;
  step.answerPath = path;
  step.answerFilter = target.entry;
  return step;
}

QByteArray FileBytes(const QString &path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

// Everything a save must leave alone.
struct Snapshot {
  QImage picture;
  int depth, zoomValue, grid, tiles, remap, cols, rows;
  std::vector<int32_t> map;
  bool operator==(const Snapshot &) const = default;
};
Snapshot Take() {
  return {WorkPicture(), ImageDepth(workImage), zoom, gridOn, tileSize, remapped, tileCols, tileRows, tileMap};
}

// Old contents that no writer produces, long enough to notice a partial overwrite.
QByteArray OldBytes() {
  QByteArray bytes;
  for (int i = 0; i < 3000; ++i)
    bytes.append(char('a' + i % 26));
  return bytes;
}

class SaveFaults : public AppTest {
protected:
  void SetUp() override {
    AppTest::SetUp();
    // 200x120 at 16 pixels: partial edge tiles, some tiles swapped, the grid on.
    OpenPicture(PatternPicture(200, 120));
    Feed(Clicked(AddGridButton));
    SwapTilesByHand();
    before = Take();
  }
  void SwapTilesByHand() {
    Feed(GadgetAt(ViewCanvas, GadgetLeftPressed, 3, 3));
    Feed(GadgetAt(ViewCanvas, GadgetLeftReleased, 40, 20));
  }
  // Saves target to path and expects the warning naming it.
  void SaveExpectingWarning(const Target &target, const QString &path) {
    ScriptDialogs({SaveDialog(target, path), SaveWarning(path)});
    Feed(MenuChosen(target.menu));
    EXPECT_TRUE(DialogScriptFailures().isEmpty()) << DialogScriptFailures().join("\n").toStdString();
    EXPECT_TRUE(Take() == before) << "the save changed the program's state";
  }
  Snapshot before;
};

TEST_F(SaveFaults, TheDiskFillingMidwayKeepsTheOldFile) {
  ASSERT_EQ(remapped, 1);
  for (const Target &target : targets)
    for (const rlim_t limit : {rlim_t(0), rlim_t(1), rlim_t(100)}) { // every new file is longer
      SCOPED_TRACE(std::string(target.name) + " limit " + std::to_string(limit));
      const QString path = TempPath(QString("old%1%2").arg(limit).arg(target.extension));
      WriteBytes(path, OldBytes().left(qsizetype(limit))); // the old file fits under the limit
      const QByteArray old = FileBytes(path);
      ScriptDialogs({SaveDialog(target, path), ReplaceQuestion(path, true), SaveWarning(path)});
      {
        FileSizeLimit full(limit);
        Feed(MenuChosen(target.menu));
      }
      EXPECT_TRUE(DialogScriptFailures().isEmpty()) << DialogScriptFailures().join("\n").toStdString();
      EXPECT_EQ(FileBytes(path), old);
      EXPECT_TRUE(Take() == before);
    }
  EXPECT_EQ(FolderEntries(tempDir.path()).size(), 9); // only the old files
}

TEST_F(SaveFaults, AFolderAsTheTargetIsRefused) {
  for (const Target &target : targets) {
    SCOPED_TRACE(target.name);
    const QString path = TempPath(QString("shots") + target.name + target.extension);
    ASSERT_TRUE(QDir().mkpath(path + "/inside"));
    SaveExpectingWarning(target, path);
    EXPECT_TRUE(QFileInfo(path).isDir());
    EXPECT_EQ(FolderEntries(path), QStringList({"inside"}));
  }
  EXPECT_EQ(FolderEntries(tempDir.path()).size(), 3);
}

// The dialog only offers existing folders, but the folder may go before the write.
TEST_F(SaveFaults, AFolderThatDisappearedIsReported) {
  for (const Target &target : targets) {
    SCOPED_TRACE(target.name);
    const QString folder = TempPath(QString("gone-") + target.name);
    ASSERT_TRUE(QDir().mkdir(folder));
    const QString path = folder + "/tiles" + target.extension;
    ASSERT_TRUE(QDir().rmdir(folder));
    SaveExpectingWarning(target, path);
    EXPECT_FALSE(QFileInfo::exists(folder));
  }
  EXPECT_TRUE(FolderEntries(tempDir.path()).isEmpty());
}

// A link to a file: the file it points to is replaced and the link stays a link to it.
TEST_F(SaveFaults, ALinkToAFileReplacesTheFileAndKeepsTheLink) {
  for (const Target &target : targets) {
    SCOPED_TRACE(target.name);
    const QString real = TempPath(QString("real-") + target.name + target.extension);
    const QString link = TempPath(QString("link-") + target.name + target.extension);
    WriteBytes(real, OldBytes());
    ASSERT_TRUE(QFile::link(real, link));
    ScriptDialogs({SaveDialog(target, link), ReplaceQuestion(link, true)});
    Feed(MenuChosen(target.menu));
    EXPECT_TRUE(DialogScriptFailures().isEmpty()) << DialogScriptFailures().join("\n").toStdString();
    EXPECT_TRUE(QFileInfo(link).isSymLink());
    EXPECT_EQ(QFileInfo(link).symLinkTarget(), real);
    EXPECT_NE(FileBytes(real), OldBytes());
    // Tile (0, 0) was swapped with tile 14, at column 2 of row 1 of 12 whole columns.
    const QByteArray start = target.menu == MenuSaveMap ? "14\r\n" : target.entry == 0 ? "\x89PNG" : "BM";
    EXPECT_TRUE(FileBytes(real).startsWith(start));
  }
  EXPECT_EQ(FolderEntries(tempDir.path()).size(), 6); // the three files and their links, nothing else
}

// A failed write through a link leaves both the link and the file it points to alone.
TEST_F(SaveFaults, AFailedWriteThroughALinkKeepsLinkAndFile) {
  for (const Target &target : targets) {
    SCOPED_TRACE(target.name);
    const QString real = TempPath(QString("real-") + target.name + target.extension);
    const QString link = TempPath(QString("link-") + target.name + target.extension);
    WriteBytes(real, OldBytes());
    ASSERT_TRUE(QFile::link(real, link));
    ScriptDialogs({SaveDialog(target, link), ReplaceQuestion(link, true), SaveWarning(link)});
    {
      FileSizeLimit full(100);
      Feed(MenuChosen(target.menu));
    }
    EXPECT_TRUE(DialogScriptFailures().isEmpty()) << DialogScriptFailures().join("\n").toStdString();
    EXPECT_TRUE(QFileInfo(link).isSymLink());
    EXPECT_EQ(FileBytes(real), OldBytes());
  }
  EXPECT_EQ(FolderEntries(tempDir.path()).size(), 6);
}

// A link to a folder is a folder: refused, and neither the link nor the folder changes.
TEST_F(SaveFaults, ALinkToAFolderIsRefused) {
  const QString folder = TempPath("pictures");
  ASSERT_TRUE(QDir().mkdir(folder));
  for (const Target &target : targets) {
    SCOPED_TRACE(target.name);
    const QString link = TempPath(QString("to-folder-") + target.name + target.extension);
    ASSERT_TRUE(QFile::link(folder, link));
    SaveExpectingWarning(target, link);
    EXPECT_TRUE(QFileInfo(link).isSymLink());
    EXPECT_TRUE(FolderEntries(folder).isEmpty());
  }
}

// The folder is read-only for the user who saves. Root passes folder permissions, so
// the save runs in a child process that has become the unprivileged user "nobody".
TEST_F(SaveFaults, AReadOnlyFolderIsReportedToAnOrdinaryUser) {
  const QString folder = TempPath("locked");
  ASSERT_TRUE(QDir().mkdir(folder));
  ASSERT_EQ(chmod(QFile::encodeName(tempDir.path()).constData(), 0755), 0);
  for (const Target &target : targets)
    WriteBytes(folder + "/old" + target.extension, OldBytes());
  ASSERT_EQ(chmod(QFile::encodeName(folder).constData(), 0555), 0);
  for (const Target &target : targets) {
    SCOPED_TRACE(target.name);
    const QString old = folder + "/old" + target.extension;
    const QString fresh = folder + "/new" + target.extension;
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      if (getuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0))
        _exit(10);
      ScriptDialogs({SaveDialog(target, old), ReplaceQuestion(old, true), SaveWarning(old)});
      Feed(MenuChosen(target.menu));
      if (!DialogScriptFailures().isEmpty())
        _exit(11);
      ScriptDialogs({SaveDialog(target, fresh), SaveWarning(fresh)});
      Feed(MenuChosen(target.menu));
      if (!DialogScriptFailures().isEmpty())
        _exit(12);
      _exit(Take() == before ? 0 : 13);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "10: no user change, 11/12: dialogs, 13: state";
    EXPECT_EQ(FileBytes(old), OldBytes());
  }
  EXPECT_EQ(FolderEntries(folder), QStringList({"old.bmp", "old.png", "old.zirf-map"}));
  chmod(QFile::encodeName(folder).constData(), 0755);
}

// True while process pid has a file open inside folder: the writer's temporary file,
// which Qt creates unnamed where the file system allows.
bool WritesInto(pid_t pid, const QString &folder) {
  const QString fds = QString("/proc/%1/fd").arg(pid);
  for (const QFileInfo &fd : QDir(fds).entryInfoList(QDir::System | QDir::Files | QDir::NoDotAndDotDot))
    if (fd.symLinkTarget().startsWith(folder + "/"))
      return true;
  return false;
}

// Killed partway through writing a large picture: the old file is intact and nothing
// else is left in the folder.
TEST_F(SaveFaults, AKillPartwayLeavesTheOldFileIntactAndNoTemporaryFile) {
  OpenPicture(PatternPicture(3000, 3000));
  const Target &png = targets[0];
  for (const int delayMs : {0, 20, 100}) {
    SCOPED_TRACE(delayMs);
    const QString folder = TempPath(QString("killed%1").arg(delayMs));
    ASSERT_TRUE(QDir().mkdir(folder));
    const QString path = folder + "/old.png";
    WriteBytes(path, OldBytes());
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      ScriptDialogs({SaveDialog(png, path), ReplaceQuestion(path, true)});
      Feed(MenuChosen(png.menu));
      _exit(0);
    }
    bool writing = false;
    for (int i = 0; i < 100000 && !writing; ++i) {
      writing = WritesInto(child, folder);
      if (!writing)
        usleep(100);
    }
    usleep(useconds_t(delayMs) * 1000);
    kill(child, SIGKILL);
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(writing) << "the child was never seen writing";
    if (WIFSIGNALED(status))
      EXPECT_EQ(FileBytes(path), OldBytes());
    else // a fast machine finished first: then the whole new file is there
      EXPECT_EQ(QImage(path, "PNG").size(), QSize(3000, 3000));
    EXPECT_EQ(FolderEntries(folder), QStringList({"old.png"}));
  }
}

// A sink that takes a number of bytes and refuses the rest.
class FailingSink : public ByteSink {
public:
  explicit FailingSink(size_t room) : room(room) {}
  bool Write(const void *, size_t size) override {
    if (size > room)
      return false;
    room -= size;
    taken += size;
    return true;
  }
  size_t room, taken = 0;
};

// libpng's error path is taken from inside its write callback, at every point of the
// file; the writer reports it and nothing is left behind (ASan builds see any leak).
TEST_F(SaveFaults, WritersReportARefusedByteAtEveryPoint) {
  OpenPicture(PatternPicture(40, 17));
  for (const bool grid : {false, true}) {
    if (grid)
      Feed(Clicked(AddGridButton));
    BufferSink whole;
    ASSERT_TRUE(WritePng(whole, workImage));
    for (size_t room = 0; room < whole.bytes.size(); ++room) {
      FailingSink sink(room);
      ASSERT_FALSE(WritePng(sink, workImage)) << room;
      ASSERT_LE(sink.taken, room);
    }
    BufferSink bmp;
    ASSERT_TRUE(WriteBmp(bmp, workImage));
    for (size_t room = 0; room < bmp.bytes.size(); room += 7) {
      FailingSink sink(room);
      ASSERT_FALSE(WriteBmp(sink, workImage)) << room;
    }
  }
}

} // namespace
