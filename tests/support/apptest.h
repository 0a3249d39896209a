// A fresh start of the program for every test: offscreen window, start state, scripted
// dialogs with nothing expected (so any dialog a test does not announce fails it).
#pragma once

#include "platform/dialogscript.h"
#include "platform/events.h"

#include <QImage>
#include <QString>
#include <QTemporaryDir>
#include <cstdint>
#include <gtest/gtest.h>
#include <vector>

class AppTest : public ::testing::Test {
protected:
  void SetUp() override;
  void TearDown() override;

  // A path inside this test's own temporary folder.
  QString TempPath(const QString &name) const;
  // Writes picture to the temporary folder in format ("PNG", "BMP", ...) and returns its path.
  QString WritePicture(const QImage &picture, const QString &name, const char *format = "PNG") const;

  QTemporaryDir tempDir;
};

// Event values as the platform would post them.
Event GadgetAt(int id, int type, int x = 0, int y = 0);
Event Clicked(int id);
Event MenuChosen(int id);
Event WheelTurned(int rotation);
Event FilesDropped(const QString &files);
Event SimpleEvent(EventKind kind);

// Dispatches one event, as the loop does.
void Feed(const Event &event);
// Lets Qt deliver pending input, then dispatches every queued event in order.
void FeedQueued();

// A picture whose every pixel differs from its neighbours: red = x, green = y, blue = x ^ y (mod 256).
QImage PatternPicture(int width, int height);
// The working picture as a QImage in RGB888 (colours only).
QImage WorkPicture();

// Puts picture (RGB888 or RGBA8888) into workImage in the state a freshly opened picture
// starts in, without reading a file: 16x16 tiles, no grid, fresh map, zoom 1, view drawn.
void OpenPicture(const QImage &picture);

// Dialog steps that several areas expect.
DialogStep ReplaceQuestion(const QString &path, bool yes); // "Confirm Save As" for path, answered
DialogStep SaveWarning(const QString &path);               // the warning after a failed save of path

// Writes bytes to path, failing the test when that is not possible.
void WriteBytes(const QString &path, const QByteArray &bytes);

// The numbers of the whole-tile cells of the tile map, in reading order.
std::vector<int32_t> MapNumbers();

// A file dialog expected with title and filter list, answered with path (empty: cancelled)
// and, for a save dialog, the filter entry chosen.
DialogStep FileDialogStep(DialogKind kind, const QString &title, const QString &filters, const QString &path,
                          int entry = 0);
// The question before the tile mode changes, answered Yes or No.
DialogStep TileModeQuestion(bool yes);

// Every name in folder, hidden ones included, sorted: a temporary file left behind shows here.
QStringList FolderEntries(const QString &folder);
