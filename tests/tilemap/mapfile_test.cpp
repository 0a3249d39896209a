// The map file: the bytes written, the rules of reading, the dialogs around both, and
// saving that never destroys the file it replaces.
#include "app/ids.h"
#include "app/state.h"
#include "platform/files.h"
#include "platform/imagelib.h"
#include "platform/ui.h"
#include "tests/platform/filesizelimit.h"
#include "tests/support/apptest.h"
#include "tilemap/mapfile.h"
#include "tilemap/mapformat.h"
#include "tilemap/tilemap.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <cstdint>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

using MapFile = AppTest;

namespace {

const QString mapFilters = "ZIRF Image MapData (*.zirf-map)|*.zirf-map";

DialogStep SaveDialog(const QString &answerPath) {
  return FileDialogStep(SaveFileDialog, "Please choose file to save..", mapFilters, answerPath);
}

DialogStep OpenDialog(const QString &answerPath) {
  return FileDialogStep(OpenFileDialog, "Please choose file to open..", mapFilters, answerPath);
}

// Saves the map through the Map menu, choosing path in the save dialog.
void SaveMapThroughMenu(const QString &path) {
  ScriptDialogs({SaveDialog(path)});
  Feed(MenuChosen(MenuSaveMap));
}

QByteArray FileBytes(const QString &path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

std::vector<int32_t> ReadValues(const QByteArray &bytes, int count) {
  QBuffer buffer;
  buffer.setData(bytes);
  buffer.open(QIODevice::ReadOnly);
  MapLineReader reader(buffer);
  std::vector<int32_t> values;
  for (int i = 0; i < count; ++i)
    values.push_back(reader.NextValue());
  return values;
}

} // namespace

TEST_F(MapFile, WritesOneDecimalLinePerWholeTile) {
  struct Case {
    const char *name;
    int width, height;
    std::vector<int32_t> numbers; // written into the whole-tile cells; empty: the fresh map
    QByteArray bytes;
  };
  const std::vector<Case> cases = {
      {"32 x 32, fresh", 32, 32, {}, QByteArray("0\r\n1\r\n2\r\n3\r\n")},
      {"32 x 32, corners exchanged", 32, 32, {3, 1, 2, 0}, QByteArray("3\r\n1\r\n2\r\n0\r\n")},
      {"-32768 and 32767", 32, 16, {-32768, 32767}, QByteArray("-32768\r\n32767\r\n")},
      {"32-bit numbers",
       32,
       32,
       {70000, -1, INT32_MIN, INT32_MAX},
       QByteArray("70000\r\n-1\r\n-2147483648\r\n2147483647\r\n")},
      {"40 x 24: partial tiles are not written", 40, 24, {}, QByteArray("0\r\n1\r\n")},
      {"narrower than a tile: an empty file", 8, 40, {}, QByteArray()},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    OpenPicture(PatternPicture(c.width, c.height));
    for (size_t k = 0; k < c.numbers.size(); ++k)
      TileCell(int(k) % tileCols, int(k) / tileCols) = c.numbers[k];
    TileCell(tileCols, 0) = 55; // spare cells hold something worth noticing
    TileCell(0, tileRows) = 66;
    remapped = 1;
    const QString path = TempPath("written.zirf-map");
    SaveMapThroughMenu(path);
    EXPECT_EQ(FileBytes(path), c.bytes); // no byte-order mark, no header, CR LF after each line
    EXPECT_EQ(remapped, 1);
    EXPECT_TRUE(DialogScriptFailures().isEmpty()) << DialogScriptFailures().join("\n").toStdString();
    QFile::remove(path);
  }
}

TEST_F(MapFile, WritesLongMapsWhole) {
  // More lines than fit one write of the writer's buffer.
  std::vector<int32_t> values;
  std::string expected;
  for (int32_t value = -70000; value <= 70000; value += 3) {
    values.push_back(value);
    expected += std::to_string(value) + "\r\n";
  }
  BufferSink sink;
  ASSERT_TRUE(WriteMapLines(sink, values));
  EXPECT_EQ(std::string(sink.bytes.begin(), sink.bytes.end()), expected);
}

TEST_F(MapFile, AddsTheExtensionUnlessItIsThere) {
  struct Case {
    QString chosen, written;
  };
  const std::vector<Case> cases = {
      {"tiles", "tiles.zirf-map"},
      {"tiles.txt", "tiles.txt.zirf-map"},
      {"tiles.ZIRF-MAP", "tiles.ZIRF-MAP"},
      {"tiles.Zirf-Map", "tiles.Zirf-Map"},
      {".zirf-map", ".zirf-map.zirf-map"},
      {"my tiles.zirf-map", "my tiles.zirf-map"},
      {"tiles.zirf-map x", "tiles.zirf-map x.zirf-map"},
  };
  OpenPicture(PatternPicture(32, 32));
  for (const Case &c : cases) {
    SCOPED_TRACE(c.chosen.toStdString());
    QTemporaryDir folder;
    SaveMapThroughMenu(folder.filePath(c.chosen));
    EXPECT_EQ(FolderEntries(folder.path()), QStringList{c.written});
    EXPECT_EQ(FileBytes(folder.filePath(c.written)), QByteArray("0\r\n1\r\n2\r\n3\r\n"));
  }
}

TEST_F(MapFile, AsksBeforeReplacingTheLengthenedName) {
  OpenPicture(PatternPicture(32, 32));
  const QString existing = TempPath("tiles.zirf-map");
  WriteBytes(existing, "old\r\n");

  ScriptDialogs({SaveDialog(TempPath("tiles")), ReplaceQuestion(existing, false)});
  Feed(MenuChosen(MenuSaveMap));
  EXPECT_EQ(FileBytes(existing), QByteArray("old\r\n"));

  ScriptDialogs({SaveDialog(TempPath("tiles")), ReplaceQuestion(existing, true)});
  Feed(MenuChosen(MenuSaveMap));
  EXPECT_EQ(FileBytes(existing), QByteArray("0\r\n1\r\n2\r\n3\r\n"));
  EXPECT_EQ(FolderEntries(tempDir.path()), QStringList{"tiles.zirf-map"});
}

TEST_F(MapFile, FolderAtThePathAsksNothingAndWarns) {
  OpenPicture(PatternPicture(32, 32));
  const QString folder = TempPath("maps.zirf-map");
  ASSERT_TRUE(QDir().mkdir(folder));
  ScriptDialogs({SaveDialog(folder), SaveWarning(folder)});
  Feed(MenuChosen(MenuSaveMap));
  EXPECT_EQ(PathKind(folder), PathFolder);
  EXPECT_TRUE(FolderEntries(folder).isEmpty());
  ASSERT_FALSE(ShownDialogs().empty());
  EXPECT_TRUE(ShownDialogs().back().text.contains(folder));
}

TEST_F(MapFile, CancelledDialogsChangeNothing) {
  OpenPicture(PatternPicture(32, 32));
  TileCell(0, 0) = 9;
  SaveMapThroughMenu(QString());
  EXPECT_TRUE(FolderEntries(tempDir.path()).isEmpty());
  ScriptDialogs({OpenDialog(QString())});
  Feed(MenuChosen(MenuOpenMap));
  EXPECT_EQ(MapNumbers(), (std::vector<int32_t>{9, 1, 2, 3}));
  EXPECT_EQ(remapped, 0);
}

TEST_F(MapFile, WithoutPictureNeitherCommandOpensADialog) {
  const QString path = TempPath("some.zirf-map");
  WriteBytes(path, "7\r\n7\r\n7\r\n7\r\n");
  const std::vector<int32_t> startMap = tileMap;
  Feed(MenuChosen(MenuSaveMap)); // the script expects no dialog at all
  Feed(MenuChosen(MenuOpenMap));
  OpenMap(path);
  EXPECT_EQ(tileMap, startMap);
  EXPECT_EQ(remapped, 0);
  EXPECT_FALSE(ControlEnabled(ResetMapButton));
  EXPECT_EQ(FolderEntries(tempDir.path()), QStringList{"some.zirf-map"});
}

// Saving over an existing map when the new one cannot be written completely: the old
// file stays byte for byte, no temporary file is left, and the user is told.
TEST_F(MapFile, FailedSaveKeepsTheOldFileAndWarns) {
  enum Fault { SizeLimit, ReadOnlyFolder };
  std::vector<Fault> faults = {SizeLimit};
  if (geteuid() != 0) // the superuser writes into read-only folders all the same
    faults.push_back(ReadOnlyFolder);
  OpenPicture(PatternPicture(1024, 1024)); // 4096 tiles: a map of about 23 kB
  const QByteArray oldBytes("5\r\n6\r\n7\r\n8\r\n");
  for (const Fault fault : faults) {
    SCOPED_TRACE(fault == SizeLimit ? "file-size limit" : "read-only folder");
    const QString folder = TempPath(fault == SizeLimit ? "limited" : "readonly");
    ASSERT_TRUE(QDir().mkdir(folder));
    const QString path = folder + "/level.zirf-map";
    WriteBytes(path, oldBytes);
    ScriptDialogs({SaveDialog(path), ReplaceQuestion(path, true), SaveWarning(path)});
    if (fault == SizeLimit) {
      const FileSizeLimit limit(4096);
      Feed(MenuChosen(MenuSaveMap));
    } else {
      QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::ExeOwner);
      Feed(MenuChosen(MenuSaveMap));
      QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    }
    EXPECT_EQ(FileBytes(path), oldBytes);
    EXPECT_EQ(FolderEntries(folder), QStringList{"level.zirf-map"});
    EXPECT_TRUE(DialogScriptFailures().isEmpty()) << DialogScriptFailures().join("\n").toStdString();
    ASSERT_FALSE(ShownDialogs().empty());
    EXPECT_TRUE(ShownDialogs().back().text.contains(path));
  }
}

TEST_F(MapFile, SavingIntoAMissingFolderWarns) {
  OpenPicture(PatternPicture(32, 32));
  const QString path = TempPath("no such folder/level.zirf-map");
  ScriptDialogs({SaveDialog(path), SaveWarning(path)});
  Feed(MenuChosen(MenuSaveMap));
  EXPECT_EQ(PathKind(path), PathMissing);
  EXPECT_TRUE(FolderEntries(tempDir.path()).isEmpty());
}

TEST_F(MapFile, ReadsValuesByTheRules) {
  struct Case {
    QByteArray line;
    int32_t value;
  };
  const std::vector<Case> cases = {
      {"70000", 70000},
      {"40000", 40000},
      {"$FF", 255},
      {"%101", 5},
      {"12abc", 12},
      {"  -7", -7},
      {"", 0},
      {"abc", 0},
      {"   ", 0},
      {"\t +42", 42},
      {"+42", 42},
      {"-$10", -16},
      {"$ff", 255},
      {"$fG", 15},
      {"%102", 2},
      {"$", 0},
      {"-", 0},
      {"- 5", 0},
      {"+-5", 0},
      {"$-5", 0},
      {"007", 7},
      {"5 6", 5},
      {"-0", 0},
      {"-32768", -32768},
      {"32767", 32767},
      {"2147483648", INT32_MIN},
      {"4294967295", -1},
      {"4294967296", 0},
      {"-4294967297", -1},
      {"99999999999999999999", 1661992959}, // (10^20 - 1) modulo 2^32
      {"$123456789ABCDEF0123", int32_t(0xCDEF0123u)},
      {"\xEF\xBC\x91", 0}, // a fullwidth digit one is no digit
      {"7\xC3\xA9"
       "8",
       7},
  };
  QByteArray file;
  for (const Case &c : cases)
    file += c.line + "\r\n";
  // One row of whole tiles, one for each line.
  OpenPicture(PatternPicture(16 * int(cases.size()), 16));
  const QString path = TempPath("values.zirf-map");
  WriteBytes(path, file);
  OpenMap(path);
  for (size_t k = 0; k < cases.size(); ++k)
    EXPECT_EQ(TileCell(int(k), 0), cases[k].value) << "line \"" << cases[k].line.toStdString() << "\"";
  EXPECT_EQ(remapped, 1);
}

TEST_F(MapFile, ReadsBackEverySixteenBitValueItWrites) {
  std::vector<int32_t> values;
  for (int32_t value = -32768; value <= 32767; ++value)
    values.push_back(value);
  values.push_back(INT32_MIN);
  values.push_back(INT32_MAX);
  BufferSink sink;
  ASSERT_TRUE(WriteMapLines(sink, values));
  const QByteArray bytes(reinterpret_cast<const char *>(sink.bytes.data()), qsizetype(sink.bytes.size()));
  EXPECT_EQ(ReadValues(bytes, int(values.size())), values);
}

TEST_F(MapFile, AcceptsEveryLineEnd) {
  struct Case {
    const char *name;
    QByteArray bytes;
    std::vector<int32_t> values; // of the 2 x 2 map
  };
  const std::vector<Case> cases = {
      {"CR LF", QByteArray("1\r\n2\r\n3\r\n4\r\n"), {1, 2, 3, 4}},
      {"LF", QByteArray("1\n2\n3\n4\n"), {1, 2, 3, 4}},
      {"CR", QByteArray("1\r2\r3\r4\r"), {1, 2, 3, 4}},
      {"NUL",
       QByteArray("1\0"
                  "2\0"
                  "3\0"
                  "4",
                  7),
       {1, 2, 3, 4}},
      {"mixed, last line without end", QByteArray("1\n2\r3\r\n4"), {1, 2, 3, 4}},
      {"LF CR is two ends", QByteArray("1\n\r2\r\n3\r\n"), {1, 0, 2, 3}},
      {"CR CR LF is two ends", QByteArray("1\r\r\n2\r\n3"), {1, 0, 2, 3}},
      {"blank lines give 0", QByteArray("\r\n  \r\nxyz\r\n4\r\n"), {0, 0, 0, 4}},
      {"byte-order mark gives 0",
       QByteArray("\xEF\xBB\xBF"
                  "7\r\n8\r\n9\r\n10\r\n"),
       {0, 8, 9, 10}},
      {"three lines for four cells", QByteArray("5\r\n6\r\n7\r\n"), {5, 6, 7, 0}},
      {"empty file", QByteArray(), {0, 0, 0, 0}},
      {"lines beyond the last tile", QByteArray("1\r\n2\r\n3\r\n4\r\n5\r\n6\r\n"), {1, 2, 3, 4}},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    OpenPicture(PatternPicture(40, 40)); // 2 x 2 whole tiles, spare column and row
    TileCell(2, 0) = 71;
    TileCell(1, 2) = 72;
    TileCell(2, 2) = 73;
    const QString path = TempPath("ends.zirf-map");
    WriteBytes(path, c.bytes);
    OpenMap(path);
    EXPECT_EQ(MapNumbers(), c.values);
    EXPECT_EQ(TileCell(2, 0), 71); // the spare cells keep their values
    EXPECT_EQ(TileCell(1, 2), 72);
    EXPECT_EQ(TileCell(2, 2), 73);
    EXPECT_EQ(remapped, 1);
  }
}

TEST_F(MapFile, ReadsLinesLongerThanAnyBuffer) {
  // A value after a quarter of a million blanks, then a CR LF pair split across the
  // 64 KiB reads of the file.
  QByteArray bytes = QByteArray(250000, ' ') + "-42" + QByteArray(300000, 'x') + "\r\n";
  const qsizetype lineStart = bytes.size();
  const qsizetype carriageReturnAt = (lineStart / 65536 + 2) * 65536 - 1; // the last byte of a read
  bytes += QByteArray(carriageReturnAt - 2 - lineStart, ' ') + "12\r\n9\r\n";
  ASSERT_EQ(bytes.indexOf("12\r\n", lineStart) + 2, carriageReturnAt);
  EXPECT_EQ(ReadValues(bytes, 4), (std::vector<int32_t>{-42, 12, 9, 0}));
  // The same through a file.
  OpenPicture(PatternPicture(32, 32));
  const QString path = TempPath("long.zirf-map");
  WriteBytes(path, bytes);
  OpenMap(path);
  EXPECT_EQ(MapNumbers(), (std::vector<int32_t>{-42, 12, 9, 0}));
}

TEST_F(MapFile, UnreadablePathsLeaveTheMap) {
  OpenPicture(PatternPicture(32, 32));
  const QString folder = TempPath("folder.zirf-map");
  ASSERT_TRUE(QDir().mkdir(folder));
  const QString fifo = TempPath("fifo.zirf-map"); // reading it would wait for a writer forever
  ASSERT_EQ(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
  for (const QString &path : {TempPath("missing.zirf-map"), folder, fifo}) {
    SCOPED_TRACE(path.toStdString());
    OpenMap(path);
    EXPECT_EQ(MapNumbers(), (std::vector<int32_t>{0, 1, 2, 3}));
    EXPECT_EQ(remapped, 0);
  }
}

TEST_F(MapFile, MenuOpenReadsTheChosenFileUnchangedAndEnablesReset) {
  OpenPicture(PatternPicture(32, 32));
  zoom = 3;
  const QString path = TempPath("chosen.txt"); // used as chosen, without an extension test
  WriteBytes(path, "3\r\n1\r\n2\r\n0\r\n");
  const QImage before = WorkPicture();
  ScriptDialogs({OpenDialog(path)});
  Feed(MenuChosen(MenuOpenMap));
  EXPECT_EQ(MapNumbers(), (std::vector<int32_t>{3, 1, 2, 0}));
  EXPECT_EQ(remapped, 1);
  EXPECT_TRUE(ControlEnabled(ResetMapButton));
  EXPECT_EQ(WorkPicture(), before); // only the map changes
  EXPECT_EQ(zoom, 3);
  EXPECT_TRUE(ControlHasFocus(ViewCanvas));
}

TEST_F(MapFile, SavedMapReadsBackIntoTheSameCells) {
  OpenPicture(PatternPicture(48, 32));
  const std::vector<int32_t> numbers = {4, -3, 70000, 0, 5, INT32_MIN};
  for (size_t k = 0; k < numbers.size(); ++k)
    TileCell(int(k) % 3, int(k) / 3) = numbers[k];
  const QString path = TempPath("round.zirf-map");
  SaveMapThroughMenu(path);
  InitTileMap();
  OpenMap(path);
  EXPECT_EQ(MapNumbers(), numbers);
}
