// The timed operations, each through the program's own procedures, against its floor.
#include "bench/operations.h"

#include "app/mainwindow.h"
#include "app/state.h"
#include "bench/measure.h"
#include "bench/pardeflate.h"
#include "bench/pictures.h"
#include "grid/grid.h"
#include "image/openimage.h"
#include "image/saveimage.h"
#include "image/view.h"
#include "platform/dialogscript.h"
#include "platform/imagelib.h"
#include "platform/zoompaint.h"
#include "tilemap/mapfile.h"
#include "tilemap/mapformat.h"
#include "tilemap/resetcommands.h"
#include "tilemap/swap.h"
#include "tilemap/tilemap.h"

#include <QFile>
#include <QImageReader>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <png.h>
#include <random>
#include <sys/resource.h>
#include <thread>
#include <unistd.h>

namespace {

// Keeps a floor's result alive past the timed part, so no copy can be left out.
void *volatile held = nullptr;
void FreeHeld() {
  std::free(held);
  held = nullptr;
}

// User and system time of this process so far.
double CpuSeconds() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
         double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

QString Side(int width, int height) { return QString("%1 × %2").arg(width).arg(height); }

// The state right after opening a picture, without reading a file.
void PutPicture(QImage picture, int tile) {
  AdoptImage(workImage, std::move(picture));
  tileSize = tile;
  gridOn = 0;
  InitTileMap();
  remapped = 0;
  UpdateControls();
  zoom = 1;
  RefreshView();
}

// memcpy of copyBytes into a freshly allocated buffer of resultBytes.
double FreshCopyFloor(const void *source, size_t copyBytes, size_t resultBytes, int runs) {
  const Measured floor = Measure(runs, FreeHeld, [&] {
    void *buffer = std::malloc(resultBytes);
    std::memcpy(buffer, source, copyBytes);
    held = buffer;
  });
  FreeHeld();
  return floor.medianMs;
}

// The answer of the save dialog, as a person would give it.
void AnswerSaveDialog(const QString &path, int filter) {
  DialogStep step;
  step.kind = SaveFileDialog;
  step.title = "Please choose file to save..";
  step.answerPath = path;
  step.answerFilter = filter;
  ScriptDialogs({step});
}

void CheckDialogs(const QString &operation) {
  const QStringList failures = DialogScriptFailures();
  if (!failures.isEmpty())
    PrintNote(operation + ": unexpected dialogs: " + failures.join("; "));
}

QByteArray ReadAll(const QString &path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// One fwrite of the bytes into a new file; with sync, also until they reached the disk.
void WriteRaw(const QString &path, const QByteArray &bytes, bool sync) {
  FILE *file = std::fopen(path.toLocal8Bit().constData(), "wb");
  std::fwrite(bytes.constData(), 1, size_t(bytes.size()), file);
  std::fflush(file);
  if (sync)
    fsync(fileno(file));
  std::fclose(file);
}

// Gives each whole tile another tile's number: a permutation of the map.
void PermuteMap(unsigned seed) {
  std::vector<int32_t> numbers;
  for (int row = 0; row < tileRows; ++row)
    for (int col = 0; col < tileCols; ++col)
      numbers.push_back(TileCell(col, row));
  std::shuffle(numbers.begin(), numbers.end(), std::mt19937(seed));
  size_t k = 0;
  for (int row = 0; row < tileRows; ++row)
    for (int col = 0; col < tileCols; ++col)
      TileCell(col, row) = numbers[k++];
  remapped = 1;
}

// The pixels of a PNG file as libpng's simplified reader gives them, RGB.
QByteArray DecodeWithLibpng(const std::vector<uint8_t> &file, int &width, int &height) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_memory(&image, file.data(), file.size()))
    return {};
  image.format = PNG_FORMAT_RGB;
  QByteArray pixels(qsizetype(PNG_IMAGE_SIZE(image)), 0);
  if (!png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr))
    return {};
  width = int(image.width);
  height = int(image.height);
  return pixels;
}

QByteArray PixelsOf(const QImage &picture) {
  const QImage rgb = picture.convertToFormat(QImage::Format_RGB888);
  QByteArray pixels;
  for (int y = 0; y < rgb.height(); ++y)
    pixels.append(reinterpret_cast<const char *>(rgb.constScanLine(y)), qsizetype(rgb.width()) * 3);
  return pixels;
}

// Wheel step at zoom 9 -> 10 and the canvas painting the middle of a 1280 x 1024 viewport.
Measured WheelStepOn(int side) {
  PutPicture(TileSheet(side, side), 16);
  const QRect area((side * 10 - 1280) / 2, (side * 10 - 1024) / 2, 1280, 1024);
  return Measure(
      31,
      [] {
        zoom = 9;
        RefreshView();
      },
      [&] {
        WheelStep(1);
        QImage view(area.size(), QImage::Format_RGB32);
        view.fill(Qt::black);
        PaintZoomed(*ImageHandle(workImage), zoom, area, view);
      });
}

void BenchWheel() {
  const Measured small = WheelStepOn(512);
  PrintRow("wheel step + paint 1280×1024, zoom 9→10", Side(512, 512), small, "", 0, "reference", true);
  const Measured large = WheelStepOn(16384);
  PrintRow("wheel step + paint 1280×1024, zoom 9→10", Side(16384, 16384), large, "same step on 512²", small.medianMs,
           "≤ 1.5× and < 4 ms", large.medianMs <= 1.5 * small.medianMs && large.medianMs < 4);
}

void BenchGrid() {
  const QImage sheet = TileSheet(8192, 8192);
  struct Case {
    const char *name;
    bool (*operation)();
    int tile;
    bool withGrid; // starts from the picture with the 16 x 16 grid inserted
  };
  const std::vector<Case> cases = {
      {"AddGrid16", AddGrid16, 16, false}, {"RemoveGrid16", RemoveGrid16, 16, true}, {"AddGrid8", AddGrid8, 8, false}};
  double addGrid16Ms = 0;
  for (const Case &c : cases) {
    auto prepare = [&] {
      FreeImage(workImage);
      PutPicture(sheet.copy(), c.tile);
      if (c.withGrid) {
        AddGrid16();
        gridOn = 1;
      }
    };
    prepare();
    const int sourceWidth = ImageWidth(workImage), sourceHeight = ImageHeight(workImage);
    const std::shared_ptr<const QImage> source = ImageHandle(workImage);
    const Measured measured = Measure(5, prepare, [&] { c.operation(); });
    const size_t resultBytes = size_t(ImageWidth(workImage)) * size_t(ImageHeight(workImage)) * 4;
    const size_t sourceBytes = size_t(source->sizeInBytes());
    const double floor = FreshCopyFloor(source->constBits(), std::min(sourceBytes, resultBytes), resultBytes, 5);
    PrintRow(c.name, Side(sourceWidth, sourceHeight) + " → " + Side(ImageWidth(workImage), ImageHeight(workImage)),
             measured, "memcpy into fresh buffer", floor, "≤ 2×", measured.medianMs <= 2 * floor);
    if (c.operation == AddGrid16)
      addGrid16Ms = measured.medianMs;
  }
  FreeImage(workImage);

  // The outside peer: ImageMagick inserting the same 16 x 16 grid.
  if (access("/usr/bin/convert", X_OK) != 0) {
    PrintNote("ImageMagick is not installed: no peer measured");
    return;
  }
  QTemporaryDir dir;
  const QString in = dir.filePath("in.png"), out = dir.filePath("out.rgb");
  WriteBarePng(in, sheet, 1);
  qputenv("MAGICK_TMPDIR", dir.path().toLocal8Bit());
  const QString command = QString("/usr/bin/convert %1 -crop 16x8192 +repage -background black -gravity NorthWest "
                                  "-extent 17x8192 +append -crop 8704x16 +repage -extent 8704x17 -append -depth 8 "
                                  "rgb:%2")
                              .arg(in, out);
  Measured peer = Measure(1, nullptr, [&] {
    if (std::system(command.toLocal8Bit().constData()) != 0)
      PrintNote("ImageMagick failed");
  });
  rusage children{};
  getrusage(RUSAGE_CHILDREN, &children);
  peer.peakMiB = peer.growthMiB = double(children.ru_maxrss) / 1024.0;
  const qint64 outBytes = QFileInfo(out).size();
  PrintNote(QString("ImageMagick grid insertion wrote %1 bytes (%2 expected for 8704 × 8704 RGB)")
                .arg(outBytes)
                .arg(qint64(8704) * 8704 * 3));
  PrintRow("ImageMagick: same 16×16 grid insertion (incl. PNG decode)", Side(8192, 8192), peer, "AddGrid16",
           addGrid16Ms, "≥ 50× slower than AddGrid16", peer.medianMs >= 50 * addGrid16Ms);
}

void BenchRestore() {
  PutPicture(TileSheet(8192, 8192), 8);
  unsigned seed = 1;
  const Measured measured = Measure(
      5, [&] { PermuteMap(seed++); }, [] { RestoreTiles(); });
  const size_t bytes = size_t(ImageHandle(workImage)->sizeInBytes());
  const double floor = FreshCopyFloor(ImageHandle(workImage)->constBits(), bytes, bytes, 5);
  PrintRow(QString("RestoreTiles, 8×8, %1 tiles permuted").arg(qint64(tileCols) * tileRows), Side(8192, 8192), measured,
           "memcpy into fresh buffer", floor, "≤ 3×", measured.medianMs <= 3 * floor);
}

void BenchSwap() {
  auto swapOn = [](int side) {
    PutPicture(TileSheet(side, side), 16);
    return Measure(1001, nullptr, [] { SwapTiles(0, 0, tileCols - 1, tileRows - 1); });
  };
  const Measured small = swapOn(256);
  PrintRow("SwapTiles, first ↔ last 16×16 tile", Side(256, 256), small, "", 0, "reference", true);
  const Measured large = swapOn(16384);
  PrintRow("SwapTiles, first ↔ last 16×16 tile", Side(16384, 16384), large, "same swap on 256²", small.medianMs, "≤ 2×",
           large.medianMs <= 2 * small.medianMs);
}

// SaveImageAs to PNG against bare libpng, and the parallel-deflate experiment.
void BenchPng(const QString &content, const QImage &picture) {
  QTemporaryDir dir;
  const QString path = dir.filePath("saved.png"), bare = dir.filePath("bare.png"), parallel = dir.filePath("par.png");
  PutPicture(picture.copy(), 16);
  const QString size = Side(picture.width(), picture.height()) + " " + content;
  constexpr int runs = 3;
  const Measured saved = Measure(
      runs,
      [&] {
        QFile::remove(path);
        AnswerSaveDialog(path, 0);
      },
      [] { SaveImageAs(); });
  CheckDialogs("SaveImageAs PNG");
  const double floorCpuBefore = CpuSeconds();
  const Measured floor = Measure(
      runs, [&] { QFile::remove(bare); }, [&] { WriteBarePng(bare, *ImageHandle(workImage), 9); });
  const double floorCpuPerRun = (CpuSeconds() - floorCpuBefore) / runs;
  QImageReader::setAllocationLimit(0); // the decoded check below holds a whole large picture
  PrintRow("SaveImageAs → PNG (filter None, level 9)", size, saved, "bare libpng", floor.medianMs, "≤ 1.05×",
           saved.medianMs <= 1.05 * floor.medianMs);
  const QByteArray savedBytes = ReadAll(path);
  PrintNote(QString("PNG %1: the program's file is %2 bytes and %3 the bare libpng file")
                .arg(size)
                .arg(savedBytes.size())
                .arg(savedBytes == ReadAll(bare) ? "byte for byte identical to" : "DIFFERENT from"));

  // The experiment: the same stream compressed in segments on every core.
  const int threads = int(std::max(1u, std::thread::hardware_concurrency()));
  const QImage &rows = *ImageHandle(workImage);
  int width = 0, height = 0;
  const QByteArray expected = PixelsOf(rows);
  for (size_t segment : {size_t(128) << 10}) { // the segment size pigz uses
    std::vector<uint8_t> file;
    const double cpuBefore = CpuSeconds();
    const Measured measured = Measure(
        runs, [&] { QFile::remove(parallel); },
        [&] {
          const std::vector<uint8_t> filtered =
              FilterNoneRows(rows.constBits(), rows.width(), rows.height(), 3, rows.bytesPerLine());
          const std::vector<uint8_t> stream = ParallelZlib(filtered.data(), filtered.size(), 9, segment, threads);
          file = PngFromStream(rows.width(), rows.height(), 3, stream, 8192);
          WriteRaw(parallel,
                   QByteArray::fromRawData(reinterpret_cast<const char *>(file.data()), qsizetype(file.size())), false);
        });
    const double cpuPerRun = (CpuSeconds() - cpuBefore) / runs;
    const bool libpngSame = DecodeWithLibpng(file, width, height) == expected && width == rows.width();
    const bool qtSame = PixelsOf(QImage(parallel)) == expected;
    const bool pngcheckOk =
        std::system(QString("pngcheck -q %1 >/dev/null").arg(parallel).toLocal8Bit().constData()) == 0;
    const double growth = 100.0 * (double(file.size()) / double(savedBytes.size()) - 1);
    const bool holds = measured.medianMs < floor.medianMs && growth <= 1 && libpngSame && qtSame && pngcheckOk;
    PrintRow(QString("experiment: parallel deflate, %1 threads, %2 KiB segments").arg(threads).arg(segment >> 10), size,
             measured, "bare libpng", floor.medianMs, "faster, ≤ 1% larger, decodes identically", holds);
    PrintNote(QString("parallel deflate %1 KiB segments on %2: %3 bytes (%4% against libpng's %5); libpng decode %6, "
                      "Qt decode %7, pngcheck %8; %9 s of CPU per run against %10 s of wall time (bare libpng: %11 s "
                      "of CPU per run, %12 s wall)")
                  .arg(segment >> 10)
                  .arg(size)
                  .arg(file.size())
                  .arg(growth, 0, 'f', 3)
                  .arg(savedBytes.size())
                  .arg(libpngSame ? "identical" : "DIFFERENT")
                  .arg(qtSame ? "identical" : "DIFFERENT")
                  .arg(pngcheckOk ? "OK" : "FAILED")
                  .arg(cpuPerRun, 0, 'f', 2)
                  .arg(measured.medianMs / 1000, 0, 'f', 2)
                  .arg(floorCpuPerRun, 0, 'f', 2)
                  .arg(floor.medianMs / 1000, 0, 'f', 2));
  }
  FreeImage(workImage);
}

void BenchBmp() {
  QTemporaryDir dir;
  const QString path = dir.filePath("saved.bmp"), raw = dir.filePath("raw.bmp");
  PutPicture(Noise(8192, 8192), 16);
  const Measured saved = Measure(
      5,
      [&] {
        QFile::remove(path);
        AnswerSaveDialog(path, 1);
      },
      [] { SaveImageAs(); });
  CheckDialogs("SaveImageAs BMP");
  FreeImage(workImage);
  const QByteArray bytes = ReadAll(path);
  QFile::remove(path);
  const Measured plain = Measure(
      5, [&] { QFile::remove(raw); }, [&] { WriteRaw(raw, bytes, false); });
  const Measured synced = Measure(
      5, [&] { QFile::remove(raw); }, [&] { WriteRaw(raw, bytes, true); });
  PrintRow("SaveImageAs → BMP", Side(8192, 8192), saved, "fwrite", plain.medianMs, "≤ 2×",
           saved.medianMs <= 2 * plain.medianMs);
  PrintNote(QString("BMP: %1 bytes; fwrite followed by fsync takes %2 ms (the program's %3 ms is %4× that)")
                .arg(bytes.size())
                .arg(synced.medianMs, 0, 'f', 1)
                .arg(saved.medianMs, 0, 'f', 1)
                .arg(saved.medianMs / synced.medianMs, 0, 'f', 2));
}

void BenchOpen() {
  QTemporaryDir dir;
  const QImage sheet = TileSheet(8192, 8192);
  const QString png = dir.filePath("sheet.png"), jpeg = dir.filePath("sheet.jpg");
  WriteBarePng(png, sheet, 6);
  sheet.save(jpeg, "JPEG", 90);
  const double pictureMiB = MiB(double(sheet.sizeInBytes()));
  for (const QString &path : {png, jpeg}) {
    const Measured opened = Measure(
        3, [] { FreeImage(workImage); }, [&] { OpenImage(path); });
    const bool loaded = ImageWidth(workImage) == 8192 && ImageHeight(workImage) == 8192;
    FreeImage(workImage);
    QImageReader::setAllocationLimit(0);
    QImage decoded;
    const Measured floor = Measure(
        3, [&] { decoded = QImage(); }, [&] { decoded = QImageReader(path).read(); });
    decoded = QImage();
    const bool withinMemory = opened.growthMiB <= 2 * pictureMiB + 16;
    PrintRow(QString("OpenImage ") + (path == png ? "PNG (level 6)" : "JPEG (quality 90)"), Side(8192, 8192), opened,
             "bare QImageReader::read", floor.medianMs,
             QString("≤ 1.1×, peak ≤ picture + one buffer (%1 MiB)").arg(2 * pictureMiB, 0, 'f', 0),
             loaded && opened.medianMs <= 1.1 * floor.medianMs && withinMemory);
    PrintNote(QString("%1: bare reader peak +%2 MiB").arg(QFileInfo(path).fileName()).arg(floor.growthMiB, 0, 'f', 0));
  }
}

void BenchMap() {
  QTemporaryDir dir;
  const QString path = dir.filePath("map.zirf-map"), raw = dir.filePath("raw.zirf-map");
  QImage flat(8192, 8192, QImage::Format_RGB888);
  flat.fill(Qt::darkCyan);
  PutPicture(flat, 8);
  PermuteMap(7);
  const std::vector<int32_t> permuted = tileMap;
  const Measured saved = Measure(
      5,
      [&] {
        QFile::remove(path);
        AnswerSaveDialog(path, 0);
      },
      [] { SaveMapAs(); });
  CheckDialogs("SaveMapAs");
  const QByteArray bytes = ReadAll(path);
  const Measured write = Measure(
      5, [&] { QFile::remove(raw); }, [&] { WriteRaw(raw, bytes, false); });
  const QString size = QString("%1 tiles, %2 MB").arg(qint64(tileCols) * tileRows).arg(bytes.size() / 1e6, 0, 'f', 1);
  PrintRow("SaveMapAs", size, saved, "fwrite", write.medianMs, "≤ 3×", saved.medianMs <= 3 * write.medianMs);
  const Measured synced = Measure(
      5, [&] { QFile::remove(raw); }, [&] { WriteRaw(raw, bytes, true); });
  BufferSink memory;
  const Measured formatted = Measure(
      5, [&] { memory.bytes.clear(); }, [&] { WriteMapLines(memory, permuted); });
  PrintNote(QString("map: fwrite followed by fsync takes %1 ms; formatting the lines into memory alone %2 ms")
                .arg(synced.medianMs, 0, 'f', 1)
                .arg(formatted.medianMs, 0, 'f', 1));

  const Measured opened = Measure(
      5, [] { InitTileMap(); }, [&] { OpenMap(path); });
  const bool same = tileMap == permuted;
  const Measured read = Measure(5, FreeHeld, [&] {
    FILE *file = std::fopen(path.toLocal8Bit().constData(), "rb");
    void *buffer = std::malloc(size_t(bytes.size()));
    const size_t got = std::fread(buffer, 1, size_t(bytes.size()), file);
    std::fclose(file);
    held = buffer;
    if (got != size_t(bytes.size()))
      PrintNote("fread came short");
  });
  FreeHeld();
  PrintRow("OpenMap", size, opened, "fread", read.medianMs, "≤ 3×", same && opened.medianMs <= 3 * read.medianMs);
  if (!same)
    PrintNote("OpenMap did not read back the map that was saved");
}

} // namespace

bool RunOperation(const QString &name) {
  if (name == "wheel")
    BenchWheel();
  else if (name == "grid")
    BenchGrid();
  else if (name == "restore")
    BenchRestore();
  else if (name == "swap")
    BenchSwap();
  else if (name == "png-sheet")
    BenchPng("tile sheet", TileSheet(8192, 8192));
  else if (name == "png-noise")
    BenchPng("noise", Noise(8192, 8192));
  else if (name == "bmp")
    BenchBmp();
  else if (name == "open")
    BenchOpen();
  else if (name == "map")
    BenchMap();
  else
    return false;
  return true;
}
