// Hostile input: files that are damaged, lie in their headers, are not files at all or
// cannot be read. Opening or dropping any of them must end quickly, keep the picture and
// its map as they were, and cost little memory.
#include "app/ids.h"
#include "image/openimage.h"
#include "tests/image/hostilefiles.h"
#include "tilemap/mapfile.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <fstream>
#include <functional>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// A field of /proc/self/status in kB.
long StatusKb(const std::string &field) {
  std::ifstream status("/proc/self/status");
  for (std::string line; std::getline(status, line);)
    if (line.rfind(field + ":", 0) == 0)
      return std::stol(line.substr(field.size() + 1));
  return -1;
}

// How far the peak of resident memory rose above what was resident before, in MB.
long PeakGrowthMb(const std::function<void()> &run) {
  std::ofstream("/proc/self/clear_refs") << "5"; // restarts the peak at the current size
  const long before = std::max(StatusKb("VmRSS"), StatusKb("VmHWM"));
  run();
  return (StatusKb("VmHWM") - before) / 1024;
}

#ifdef __SANITIZE_ADDRESS__
// AddressSanitizer writes an eighth of every allocation into its shadow memory: Qt's PNG
// reader sets aside the claimed 32767 x 32767 picture (4 GB, none of it touched) before the
// data runs out, which costs the sanitizer 512 MB of its own.
constexpr long sanitizerShadowMb = 32767L * 32767L * 4 / 8 / (1 << 20) + 1;
#else
constexpr long sanitizerShadowMb = 0;
#endif
// Far below any of the pictures the headers claim.
constexpr long boundMb = 48 + sanitizerShadowMb;

QByteArray Half(const QByteArray &bytes) { return bytes.left(bytes.size() / 2); }

// A GIF of a screen and nothing else: no image in it.
QByteArray GifWithoutFrames() {
  QByteArray gif = GifBytes(6, 5, {});
  return gif;
}

QByteArray BmpWithField(qsizetype at, uint32_t value) {
  QByteArray bmp = Encoded(PatternPicture(13, 7), "BMP");
  for (int i = 0; i < 4; ++i)
    bmp[at + i] = char((value >> (8 * i)) & 0xFF);
  return bmp;
}

QByteArray BmpWithBitCount(uint16_t bits) {
  QByteArray bmp = Encoded(PatternPicture(13, 7), "BMP");
  bmp[28] = char(bits & 0xFF);
  bmp[29] = char(bits >> 8);
  return bmp;
}

using HostilePictures = AppTest;

} // namespace

TEST_F(HostilePictures, NoneChangesThePictureOrItsMap) {
  const QByteArray jpeg = Encoded(PatternPicture(40, 24), "JPEG");
  const QByteArray hugeJpeg = JpegClaiming(jpeg, 32767, 32767);
  struct Case {
    const char *name;
    QByteArray bytes;
  };
  const std::vector<Case> files = {
      {"PNG cut in half", Half(Encoded(PatternPicture(40, 24), "PNG"))},
      {"JPEG cut in half", Half(jpeg)},
      {"GIF cut in half", Half(GifBytes(6, 5, {LetterIndices()}))},
      {"BMP cut in half", Half(Encoded(PatternPicture(13, 7), "BMP"))},
      {"zero bytes", QByteArray()},
      {"PNG claiming 32767 x 32767", PngClaiming(32767, 32767)},
      {"JPEG claiming 32767 x 32767, cut", Half(hugeJpeg)},
      {"GIF claiming 32767 x 32767", GifBytes(32767, 32767, {LetterIndices()}, 4)},
      {"BMP claiming 32767 x 32767", BmpWithHeader(32767, 32767, 24, 54, 16)},
      {"PNG 32768 wide", PngClaiming(32768, 1)},
      {"BMP 40000 wide", BmpWithHeader(40000, 1, 24, 54, 120000)},
      {"BMP of height -2^31", BmpWithHeader(5, INT32_MIN, 24, 54, 64)},
      {"BMP of height 2^31 - 1", BmpWithHeader(5, INT32_MAX, 24, 54, 64)},
      {"BMP of height 0", BmpWithHeader(5, 0, 24, 54, 64)},
      {"BMP of width -5", BmpWithHeader(-5, 3, 24, 54, 64)},
      {"BMP of 0 bits per pixel", BmpWithBitCount(0)},
      {"BMP of 7 bits per pixel", BmpWithBitCount(7)},
      {"BMP of 65535 bits per pixel", BmpWithBitCount(65535)},
      {"BMP with its pixels beyond the end", BmpWithField(10, 0xFFFFFFF0u)},
      {"BMP with an RLE offset beyond the end", BmpWithHeader(5, 5, 8, 4000, 64, 1)},
      {"BMP with an absurd info header size", BmpWithField(14, 0x7FFFFFFF)},
      {"GIF without frames", GifWithoutFrames()},
  };
  std::vector<std::pair<std::string, QString>> paths;
  for (const Case &c : files) {
    const QString path = TempPath(QString::number(paths.size()) + ".png");
    WriteBytes(path, c.bytes);
    paths.emplace_back(c.name, path);
  }
  const QString fifo = TempPath("fifo.gif");
  ASSERT_EQ(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
  paths.emplace_back("FIFO", fifo); // a read would wait for a writer for ever
  paths.emplace_back("folder", tempDir.path());
  paths.emplace_back("folder named like a picture", [this] {
    QDir(tempDir.path()).mkdir("folder.png");
    return TempPath("folder.png");
  }());
  paths.emplace_back("endless device", "/dev/zero");
  paths.emplace_back("empty device", "/dev/null");
  paths.emplace_back("missing file", TempPath("missing.bmp"));

  for (const auto &[name, path] : paths) {
    SCOPED_TRACE(name);
    StartWorkedPicture();
    const KeptState before = KeepState();
    EXPECT_LT(PeakGrowthMb([&] { OpenImage(path); }), boundMb);
    EXPECT_TRUE(KeepState() == before);
    EXPECT_LT(PeakGrowthMb([&] { Feed(FilesDropped(path + "\n")); }), boundMb);
    EXPECT_TRUE(KeepState() == before);
  }
}

// Root reads every file whatever its mode, so the check runs as an ordinary user then.
TEST_F(HostilePictures, UnreadableFileChangesNothing) {
  const QString path = WritePicture(PatternPicture(20, 10), "locked.png");
  ASSERT_EQ(chmod(QFile::encodeName(path).constData(), 0200), 0); // write only
  ASSERT_EQ(chmod(QFile::encodeName(tempDir.path()).constData(), 0755), 0);
  StartWorkedPicture();
  const KeptState before = KeepState();
  if (geteuid() != 0) {
    OpenImage(path);
    EXPECT_TRUE(KeepState() == before);
    return;
  }
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    // Only plain calls from here on: the child reports through its exit status alone.
    if (setgid(65534) != 0 || setuid(65534) != 0)
      _exit(3);
    if (QFile(path).open(QIODevice::ReadOnly))
      _exit(4); // the mode would not keep this user out
    OpenImage(path);
    _exit(KeepState() == before ? 0 : 1);
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0) << "3: no ordinary user, 4: readable anyway, 1: state changed";
}

// Awkward but valid names: the picture behind each opens, by path and by dropping.
TEST_F(HostilePictures, OddNamesOpen) {
  const QImage picture = PatternPicture(20, 10);
  for (const QString &name : {QString("with  two spaces.png"), QString("quote's \"here\".png"),
                              QString::fromUtf8("Bild-äöü-图.png"), QString(".hidden.png"), QString("-dash.png")}) {
    SCOPED_TRACE(name.toStdString());
    const QString path = WritePicture(picture, name);
    StartWorkedPicture();
    OpenImage(path);
    EXPECT_EQ(WorkPicture(), picture);
    StartWorkedPicture();
    Feed(FilesDropped(path + "\n"));
    EXPECT_EQ(WorkPicture(), picture);
    EXPECT_EQ(remapped, 0);
  }
}

namespace {

using HostileMaps = AppTest;

// Writes count copies of piece after head, in large writes, so big files are quick to make.
void WriteRepeated(const QString &path, const QByteArray &head, const QByteArray &piece, qint64 count) {
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write(head);
  if (piece.isEmpty())
    return;
  const qint64 perChunk = std::max<qint64>(1, (1 << 20) / piece.size());
  const QByteArray chunk = piece.repeated(perChunk);
  for (qint64 done = 0; done < count; done += perChunk)
    file.write(done + perChunk <= count ? chunk : piece.repeated(count - done));
}

} // namespace

TEST_F(HostileMaps, ReadWithBoundedMemoryAndKeepThePicture) {
  QByteArray junk(64 * 1024, '\0');
  QRandomGenerator random(7);
  for (char &byte : junk)
    byte = char(random.bounded(256));
  struct Case {
    const char *name;
    QByteArray head, piece;
    qint64 count;
    std::vector<int32_t> numbers; // empty: any values, as long as nothing else changes
  };
  const std::vector<Case> cases = {
      {"binary junk", junk, "", 0, {}},
      {"one line of 100 MB without an end", "42", "x", 100 << 20, {42, 0, 0, 0}},
      {"a million lines", "1\r\n2\r\n3\r\n4\r\n", "5\r\n", 1000000, {1, 2, 3, 4}},
      {"NUL bytes",
       QByteArray("3\0"
                  "2\0\0"
                  "1",
                  6),
       "",
       0,
       {3, 2, 0, 1}},
      {"only NUL bytes", "", QByteArray(1, '\0'), 1 << 20, {0, 0, 0, 0}},
      {"CR line ends only", "3\r2\r1\r0\r", "", 0, {3, 2, 1, 0}},
      {"a byte-order mark",
       "\xEF\xBB\xBF"
       "3\r\n2\r\n1\r\n0\r\n",
       "",
       0,
       {0, 2, 1, 0}},
      {"numbers of 40 digits",
       "1234567890123456789012345678901234567890\r\n-9999999999999999999999999999999999999999\r\n",
       "",
       0,
       {-834729262, 1, 0, 0}},
  };
  const QImage picture = PatternPicture(32, 32); // four whole tiles of 16
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    const QString path = TempPath("hostile.zirf-map");
    WriteRepeated(path, c.head, c.piece, c.count);
    for (bool dropped : {false, true}) {
      OpenPicture(picture);
      EXPECT_LT(PeakGrowthMb([&] { dropped ? Feed(FilesDropped(path + "\n")) : OpenMap(path); }), boundMb);
      EXPECT_EQ(WorkPicture(), picture);
      EXPECT_EQ(tileCols, 2);
      EXPECT_EQ(tileRows, 2);
      EXPECT_EQ(tileMap.size(), size_t(9));
      if (!c.numbers.empty()) {
        EXPECT_EQ(MapNumbers(), c.numbers);
      }
    }
    QFile::remove(path);
  }
}

TEST_F(HostileMaps, PathsThatAreNoFileChangeNothing) {
  const QString fifo = TempPath("fifo.zirf-map");
  ASSERT_EQ(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
  QDir(tempDir.path()).mkdir("folder.zirf-map");
  for (const QString &path : {fifo, TempPath("folder.zirf-map"), QString("/dev/zero"), TempPath("missing.zirf-map")}) {
    SCOPED_TRACE(path.toStdString());
    StartWorkedPicture();
    const KeptState before = KeepState();
    OpenMap(path);
    Feed(FilesDropped(path + "\n"));
    EXPECT_TRUE(KeepState() == before);
  }
}
