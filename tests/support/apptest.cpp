#include "tests/support/apptest.h"

#include "app/dispatch.h"
#include "app/mainwindow.h"
#include "app/startup.h"
#include "app/state.h"
#include "image/view.h"
#include "platform/imagelib.h"
#include "platform/ui_widgets.h"
#include "tilemap/tilemap.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>

void AppTest::SetUp() {
  ASSERT_TRUE(tempDir.isValid());
  DestroyMainWindow();
  FreeAllImages();
  ClearEvents();
  StartProgram();
  PumpToolkit();
  ClearEvents(); // the size and focus events of showing the window
  ScriptDialogs({});
}

void AppTest::TearDown() {
  const QStringList failures = DialogScriptFailures();
  EXPECT_TRUE(failures.isEmpty()) << failures.join("\n").toStdString();
  StopScriptingDialogs();
}

QString AppTest::TempPath(const QString &name) const { return tempDir.filePath(name); }

QString AppTest::WritePicture(const QImage &picture, const QString &name, const char *format) const {
  const QString path = TempPath(name);
  EXPECT_TRUE(picture.save(path, format)) << path.toStdString();
  return path;
}

Event GadgetAt(int id, int type, int x, int y) {
  Event event;
  event.kind = GadgetEvent;
  event.sourceId = id;
  event.type = type;
  event.x = x;
  event.y = y;
  return event;
}

Event Clicked(int id) { return GadgetAt(id, GadgetClicked); }

Event MenuChosen(int id) {
  Event event;
  event.kind = MenuEvent;
  event.menuId = id;
  return event;
}

Event WheelTurned(int rotation) {
  Event event;
  event.kind = WheelEvent;
  event.rotation = rotation;
  return event;
}

Event FilesDropped(const QString &files) {
  Event event;
  event.kind = DropEvent;
  event.dropKind = DropFiles;
  event.files = files;
  return event;
}

Event SimpleEvent(EventKind kind) {
  Event event;
  event.kind = kind;
  return event;
}

void Feed(const Event &event) { Dispatch(event); }

void FeedQueued() {
  PumpToolkit();
  Event event;
  while (TakeEvent(event))
    Dispatch(event);
}

QImage PatternPicture(int width, int height) {
  QImage picture(width, height, QImage::Format_RGB888);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      picture.setPixel(x, y, qRgb(x & 0xFF, y & 0xFF, (x ^ y) & 0xFF));
  return picture;
}

QImage WorkPicture() {
  if (!ImageExists(workImage))
    return QImage();
  QImage picture(ImageWidth(workImage), ImageHeight(workImage), QImage::Format_RGB888);
  const int bpp = ImageDepth(workImage) / 8;
  for (int y = 0; y < picture.height(); ++y) {
    const uint8_t *row = ImageRowConst(workImage, y);
    uchar *out = picture.scanLine(y);
    for (int x = 0; x < picture.width(); ++x)
      for (int c = 0; c < 3; ++c)
        out[x * 3 + c] = row[x * bpp + c];
  }
  return picture;
}

void OpenPicture(const QImage &picture) {
  AdoptImage(workImage,
             picture.convertToFormat(picture.hasAlphaChannel() ? QImage::Format_RGBA8888 : QImage::Format_RGB888));
  tileSize = 16;
  gridOn = 0;
  InitTileMap();
  remapped = 0;
  UpdateControls();
  zoom = 1;
  RefreshView();
}

DialogStep ReplaceQuestion(const QString &path, bool yes) {
  DialogStep step;
  step.kind = YesNoDialog;
  step.title = "Confirm Save As";
  step.text = path + " already exists. Do you want to replace it?";
  step.answerYes = yes;
  return step;
}

DialogStep SaveWarning(const QString &path) {
  DialogStep step;
  step.kind = WarningDialog;
  step.title = "Save failed";
  step.text = "Could not write " + path + ".\nAny file that was already there is unchanged.";
  return step;
}

void WriteBytes(const QString &path, const QByteArray &bytes) {
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
  ASSERT_EQ(file.write(bytes), bytes.size());
}

std::vector<int32_t> MapNumbers() {
  std::vector<int32_t> numbers;
  for (int row = 0; row < tileRows; ++row)
    for (int col = 0; col < tileCols; ++col)
      numbers.push_back(TileCell(col, row));
  return numbers;
}

DialogStep FileDialogStep(DialogKind kind, const QString &title, const QString &filters, const QString &path,
                          int entry) {
  DialogStep step;
  step.kind = kind;
  step.title = title;
  step.text = filters;
  step.answerPath = path;
  step.answerFilter = entry;
  return step;
}

DialogStep TileModeQuestion(bool yes) {
  DialogStep step;
  step.kind = YesNoDialog;
  step.title = "";
  step.text = "Reset alle remapped tiles?";
  step.answerYes = yes;
  return step;
}

QStringList FolderEntries(const QString &folder) {
  return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}
