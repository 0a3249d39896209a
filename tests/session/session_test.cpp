// A long random session: thousands of events through the dispatcher, each followed by
// the checks that must hold whatever came before. The seed is printed; set
// ZIRF_SESSION_SEED to replay a run and ZIRF_SESSION_EVENTS to change its length.
#include "app/ids.h"
#include "app/state.h"
#include "platform/imagelib.h"
#include "platform/ui.h"
#include "platform/ui_widgets.h"
#include "tests/support/apptest.h"
#include "tilemap/resetcommands.h"
#include "tilemap/tilemap.h"

#include <QDir>
#include <QFile>
#include <QMainWindow>
#include <algorithm>
#include <cstdlib>
#include <iostream>
#include <random>

namespace {

const QString saveTitle = "Please choose file to save..", openTitle = "Please choose file to open..";
const QString pictureFilters = "Portable Network Graphics (*.png)|*.png|Windows Bitmap (*.bmp)|*.bmp";
const QString openPictureFilters = "Supported Images (*.bmp;*.jpg;*.png;*.gif)|*.bmp;*.jpg;*.png;*.gif";
const QString mapFilters = "ZIRF Image MapData (*.zirf-map)|*.zirf-map";

uint64_t EnvNumber(const char *name, uint64_t fallback) {
  const char *text = std::getenv(name);
  return text && *text ? std::strtoull(text, nullptr, 10) : fallback;
}

// The grid rule, written out plainly: the whole tiles of picture laid out `to` apart on a
// field of colour; what lies beyond the last whole tile, and the line at offset `tile` of
// every cell when tiles move closer, is dropped.
QImage Relaid(const QImage &picture, int tile, int from, int to, int32_t colour) {
  const int across = picture.width() / from, down = picture.height() / from;
  if (across == 0 || down == 0)
    return picture;
  QImage result(across * to, down * to, QImage::Format_RGB888);
  result.fill(QColor(colour & 0xFF, (colour >> 8) & 0xFF, (colour >> 16) & 0xFF));
  for (int row = 0; row < down; ++row)
    for (int col = 0; col < across; ++col)
      for (int y = 0; y < tile; ++y)
        for (int x = 0; x < tile; ++x)
          result.setPixel(col * to + x, row * to + y, picture.pixel(col * from + x, row * from + y));
  return result;
}

bool IsPermutation(std::vector<int32_t> numbers) {
  std::sort(numbers.begin(), numbers.end());
  for (size_t i = 0; i < numbers.size(); ++i)
    if (numbers[i] != int32_t(i))
      return false;
  return true;
}

class RandomSession : public AppTest {
protected:
  std::mt19937_64 random;
  int Below(int n) { return int(random() % uint64_t(n)); }
  bool Chance(int percent) { return Below(100) < percent; }

  // The picture that restoring the tiles gives back: the picture at the last fresh map,
  // changed by grid operations since. Unknown after reading a map that did not come from it.
  QImage home;
  bool homeKnown = false;
  int mapFiles = 0, pictureFiles = 0;
  int restoresChecked = 0, remappedEvents = 0; // how much of the session the strongest check saw

  void FreshMap() {
    home = WorkPicture();
    homeKnown = true;
  }

  // Scripts the dialogs an event will show, feeds it, and checks they were all shown.
  void FeedWith(const std::vector<DialogStep> &steps, const Event &event) {
    ScriptDialogs(steps);
    Feed(event);
    ASSERT_TRUE(DialogScriptFailures().isEmpty()) << DialogScriptFailures().join("\n").toStdString();
  }

  void OpenNewPicture() {
    // Sizes with and without partial edge tiles at 8, 16 and after the grid.
    static const QSize sizes[] = {{48, 32}, {96, 64}, {80, 48}, {40, 24}, {100, 70}, {51, 34}, {64, 45}, {73, 27}};
    const QSize size = Chance(50) ? sizes[Below(8)] : QSize(40 + Below(61), 24 + Below(47));
    QImage picture(size, QImage::Format_RGB888);
    for (int y = 0; y < size.height(); ++y)
      for (int x = 0; x < size.width(); ++x)
        picture.setPixel(x, y, qRgb(Below(256), Below(256), Below(256)));
    const QString path = TempPath(QString("start%1.png").arg(pictureFiles++));
    ASSERT_TRUE(picture.save(path, "PNG"));
    FeedWith({FileDialogStep(OpenFileDialog, openTitle, openPictureFilters, path)}, MenuChosen(MenuOpenImage));
    ASSERT_EQ(WorkPicture(), picture);
    FreshMap();
  }

  void Swap() {
    const int w = ImageWidth(workImage) * zoom, h = ImageHeight(workImage) * zoom;
    Feed(GadgetAt(ViewCanvas, GadgetLeftPressed, Below(w + 8) - 4, Below(h + 8) - 4));
    Feed(GadgetAt(ViewCanvas, GadgetLeftReleased, Below(w + 8) - 4, Below(h + 8) - 4));
  }

  void ChangeTileMode() {
    if (!ControlEnabled(TileModeCombo))
      return;
    const bool yes = Chance(50), asked = remapped == 1;
    const QImage before = home;
    const bool knew = homeKnown;
    SetComboSelection(TileModeCombo, Below(2));
    FeedWith(asked ? std::vector<DialogStep>{TileModeQuestion(yes)} : std::vector<DialogStep>{},
             GadgetAt(TileModeCombo, GadgetSelectionChanged));
    if (asked && yes && knew) {
      ASSERT_EQ(WorkPicture(), before) << "Yes restores the tiles first";
    }
    const std::vector<int32_t> numbers = MapNumbers();
    ASSERT_TRUE(IsPermutation(numbers));
    ASSERT_TRUE(std::is_sorted(numbers.begin(), numbers.end())) << "a fresh map";
    FreshMap();
  }

  void ResetMap(bool button) {
    if (button && !ControlEnabled(ResetMapButton))
      return;
    const QImage before = home;
    const bool knew = homeKnown;
    Feed(button ? Clicked(ResetMapButton) : MenuChosen(MenuResetMap));
    if (knew) {
      ASSERT_EQ(WorkPicture(), before);
    }
    ASSERT_EQ(remapped, 0);
    FreshMap();
  }

  void Grid(bool add) {
    const int button = add ? AddGridButton : RemoveGridButton;
    if (!ControlEnabled(button))
      return;
    Feed(Clicked(button));
    home = add ? Relaid(home, tileSize, tileSize, tileSize + 1, gridColor)
               : Relaid(home, tileSize, tileSize + 1, tileSize, gridColor);
    ASSERT_EQ(gridOn, add ? 1 : 0);
  }

  void SaveAndReloadMap() {
    const QString path = TempPath(QString("map%1.zirf-map").arg(mapFiles++ % 3));
    const std::vector<int32_t> numbers = MapNumbers();
    std::vector<DialogStep> steps = {FileDialogStep(SaveFileDialog, saveTitle, mapFilters, path)};
    if (QFile::exists(path))
      steps.push_back(ReplaceQuestion(path, true));
    FeedWith(steps, MenuChosen(MenuSaveMap));
    // Scramble the map first, so that reading it back has something to undo.
    std::fill(tileMap.begin(), tileMap.end(), 7);
    FeedWith({FileDialogStep(OpenFileDialog, openTitle, mapFilters, path)}, MenuChosen(MenuOpenMap));
    ASSERT_EQ(MapNumbers(), numbers);
    ASSERT_EQ(remapped, 1);
  }

  // A map that is no permutation of the tiles: afterwards only a fresh map says what comes home.
  void ReadForeignMap() {
    const QString path = TempPath("foreign.zirf-map");
    QByteArray text;
    for (int i = 0; i < 3; ++i)
      text += QByteArray::number(Below(5) + 100000) + "\r\n";
    WriteBytes(path, text);
    FeedWith({FileDialogStep(OpenFileDialog, openTitle, mapFilters, path)}, MenuChosen(MenuOpenMap));
    homeKnown = false;
  }

  void SaveAndReloadPicture() {
    const int entry = Below(2);
    const QString path = TempPath(QString("saved%1").arg(pictureFiles++) + (entry == 0 ? ".png" : ".bmp"));
    const QImage picture = WorkPicture();
    FeedWith({FileDialogStep(SaveFileDialog, saveTitle, pictureFilters, path, entry)}, MenuChosen(MenuSaveImage));
    FeedWith({FileDialogStep(OpenFileDialog, openTitle, openPictureFilters, path)}, MenuChosen(MenuOpenImage));
    ASSERT_EQ(WorkPicture(), picture);
    ASSERT_EQ(gridOn, 0);
    ASSERT_EQ(tileSize, 16);
    ASSERT_EQ(zoom, 1);
    FreshMap();
    QFile::remove(path);
  }

  void Resize() {
    MainWindowWidget()->resize(400 + Below(500), 300 + Below(400));
    FeedQueued();
  }

  void CheckInvariants() {
    ASSERT_TRUE(ImageExists(workImage));
    const int pitch = CellPitch();
    ASSERT_EQ(tileCols, ImageWidth(workImage) / pitch);
    ASSERT_EQ(tileRows, ImageHeight(workImage) / pitch);
    ASSERT_EQ(tileMap.size(), size_t(tileCols + 1) * size_t(tileRows + 1));
    ASSERT_GE(zoom, 1);
    ASSERT_LE(zoom, 10);
    ASSERT_EQ(ControlEnabled(AddGridButton), gridOn == 0);
    ASSERT_EQ(ControlEnabled(RemoveGridButton), gridOn != 0);
    ASSERT_EQ(ControlEnabled(TileModeCombo), gridOn == 0);
    ASSERT_EQ(ControlEnabled(ResetMapButton), remapped != 0);
    ASSERT_EQ(ComboSelection(TileModeCombo), tileSize == 8 ? 0 : 1);
    if (!homeKnown || !IsPermutation(MapNumbers()))
      return;
    // Restore on a copy of the state, compare, and put everything back.
    const int saved = AllocateImageNumber();
    ASSERT_TRUE(CopyImage(saved, workImage));
    const std::vector<int32_t> map = tileMap;
    const int remappedBefore = remapped;
    RestoreTiles();
    const QImage restored = WorkPicture();
    MoveImage(workImage, saved);
    tileMap = map;
    remapped = remappedBefore;
    ASSERT_EQ(restored, home) << "restoring does not bring back the picture of the last fresh map";
    ++restoresChecked;
    remappedEvents += restored != WorkPicture();
  }

  void RandomEvent() {
    const int pick = Below(100);
    if (pick < 40)
      Swap();
    else if (pick < 52)
      Feed(WheelTurned(Chance(50) ? 120 : -120 * (1 + Below(2))));
    else if (pick < 60)
      Grid(true);
    else if (pick < 68)
      Grid(false);
    else if (pick < 76)
      ChangeTileMode();
    else if (pick < 80)
      ResetMap(true);
    else if (pick < 84)
      ResetMap(false);
    else if (pick < 88)
      SaveAndReloadMap();
    else if (pick < 90)
      ReadForeignMap();
    else if (pick < 93)
      SaveAndReloadPicture();
    else if (pick < 95)
      Resize();
    else if (pick < 97)
      OpenNewPicture();
    else
      Feed(WheelTurned(0));
  }
};

TEST_F(RandomSession, InvariantsHoldAfterEveryEvent) {
  const uint64_t seed = EnvNumber("ZIRF_SESSION_SEED", std::random_device()());
  const uint64_t events = EnvNumber("ZIRF_SESSION_EVENTS", 10000);
  std::cout << "random session: seed " << seed << ", " << events << " events (replay with ZIRF_SESSION_SEED=" << seed
            << ")" << std::endl;
  RecordProperty("seed", std::to_string(seed));
  random.seed(seed);
  OpenNewPicture();
  for (uint64_t i = 0; i < events; ++i) {
    RandomEvent();
    if (HasFatalFailure())
      FAIL() << "seed " << seed << ", event " << i;
    CheckInvariants();
    if (HasFatalFailure())
      FAIL() << "seed " << seed << ", after event " << i;
  }
  std::cout << "restoring checked after " << restoresChecked << " events, " << remappedEvents
            << " of them with tiles out of place" << std::endl;
  EXPECT_GT(remappedEvents, int(events / 4)) << "the session hardly moved a tile";
}

} // namespace
