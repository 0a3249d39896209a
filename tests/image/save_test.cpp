// Save As for the picture: the dialog, the format by the chosen entry, the extension,
// the replace question, the depth written, and a failed write that keeps the old file.
#include "app/ids.h"
#include "app/state.h"
#include "platform/imagelib.h"
#include "tests/image/pictures.h"
#include "tests/image/pngread.h"
#include "tests/platform/filesizelimit.h"
#include "tests/support/apptest.h"
#include "tilemap/tilemap.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cstring>
#include <unistd.h>
#include <vector>

namespace {

const QString saveTitle = "Please choose file to save..";
const QString saveFilters = "Portable Network Graphics (*.png)|*.png|Windows Bitmap (*.bmp)|*.bmp";
constexpr int pngEntry = 0, bmpEntry = 1;
constexpr int32_t magenta = 0xFF00FF;

std::vector<uint8_t> FileBytes(const QString &path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly))
    return {};
  const QByteArray bytes = file.readAll();
  return std::vector<uint8_t>(bytes.begin(), bytes.end());
}

// Checks that the BMP file at path holds the picture given by rule at depth bits, with
// the header's depth and size, every fourth byte 255 at 32 bits, and Qt agreeing.
testing::AssertionResult IsBmpOf(const QString &path, int width, int height, int depth, const PixelRule &rule) {
  const std::vector<uint8_t> file = FileBytes(path);
  const size_t storedRow = (size_t(width) * depth / 8 + 3) / 4 * 4;
  if (file.size() != 54 + storedRow * height || file[0] != 'B' || file[1] != 'M' || file[28] != depth)
    return testing::AssertionFailure() << "not a " << depth << "-bit BMP of " << width << "x" << height;
  if (depth == 32)
    for (size_t at = 54 + 3; at < file.size(); at += 4)
      if (file[at] != 255)
        return testing::AssertionFailure() << "alpha byte at " << at << " is " << int(file[at]);
  const QImage byQt = QImage(path, "BMP").convertToFormat(QImage::Format_RGB888);
  const std::vector<uint8_t> expected = RowBytes(width, height, 3, rule);
  if (byQt.size() != QSize(width, height))
    return testing::AssertionFailure() << "Qt cannot read it";
  for (int y = 0; y < height; ++y)
    if (std::memcmp(byQt.constScanLine(y), &expected[y * width * 3], width * 3) != 0)
      return testing::AssertionFailure() << "Qt reads other pixels in row " << y;
  return testing::AssertionSuccess();
}

// The PNG file at path, as pngread::IsPngOf and pngcheck see it.
testing::AssertionResult IsPngFileOf(const QString &path, int width, int height, int channels, const PixelRule &rule) {
  if (auto ok = pngread::IsPngOf(FileBytes(path), width, height, channels, RowBytes(width, height, channels, rule));
      !ok)
    return ok;
  return pngread::PngcheckAccepts(path);
}

// Pixel (x, y) after Add Grid on a Noise picture in 16x16 mode.
Rgb NoiseWithGrid(int x, int y) {
  return x % 17 == 16 || y % 17 == 16 ? Rgb{255, 0, 255} : Noise(x - x / 17, y - y / 17);
}

using SavingPictures = AppTest;

} // namespace

TEST_F(SavingPictures, WithoutAPictureNothingIsAsked) {
  Feed(MenuChosen(MenuSaveImage)); // any dialog would fail the test
  EXPECT_TRUE(FolderEntries(tempDir.path()).isEmpty());
}

TEST_F(SavingPictures, TheDialogOffersBothFormatsWithPngPreselected) {
  OpenPicture(Paint(6, 5, 24, LetterF));
  ScriptDialogs({FileDialogStep(SaveFileDialog, saveTitle, saveFilters, QString(), pngEntry)}); // cancelled
  Feed(MenuChosen(MenuSaveImage));
  ASSERT_EQ(ShownDialogs().size(), 1u);
  EXPECT_EQ(ShownDialogs()[0].preselected, pngEntry);
  EXPECT_TRUE(FolderEntries(tempDir.path()).isEmpty());
}

// The chosen entry decides the format; its extension is appended unless the name already
// ends in it, in any letter case.
TEST_F(SavingPictures, TheChosenEntryDecidesFormatAndExtension) {
  struct Case {
    QString typed;
    int entry;
    QString written;
  };
  const std::vector<Case> cases = {
      {"tiles", pngEntry, "tiles.png"},         {"tiles.PNG", pngEntry, "tiles.PNG"},
      {"tiles.png", bmpEntry, "tiles.png.bmp"}, {"my.tile sheet", pngEntry, "my.tile sheet.png"},
      {"photo.bmp", pngEntry, "photo.bmp.png"}, {"sheet.Bmp", bmpEntry, "sheet.Bmp"},
  };
  OpenPicture(Paint(6, 5, 24, LetterF));
  for (size_t i = 0; i < cases.size(); ++i) {
    const Case &c = cases[i];
    SCOPED_TRACE(c.typed.toStdString());
    const QString folder = TempPath(QString::number(i));
    ASSERT_TRUE(QDir().mkdir(folder));
    ScriptDialogs({FileDialogStep(SaveFileDialog, saveTitle, saveFilters, folder + "/" + c.typed, c.entry)});
    Feed(MenuChosen(MenuSaveImage));
    EXPECT_EQ(FolderEntries(folder), QStringList({c.written}));
    const QString path = folder + "/" + c.written;
    if (c.entry == pngEntry)
      EXPECT_TRUE(IsPngFileOf(path, 6, 5, 3, LetterF)); // a picture just opened is written at 24 bits
    else
      EXPECT_TRUE(IsBmpOf(path, 6, 5, 24, LetterF));
    EXPECT_TRUE(DialogScriptFailures().isEmpty()) << DialogScriptFailures().join("\n").toStdString();
  }
}

// Only a file at the final name counts, 0 bytes included; the typed name without the
// extension, or a folder, does not.
TEST_F(SavingPictures, TheReplaceQuestionNamesTheFinalPath) {
  OpenPicture(Paint(6, 5, 24, LetterF));
  WriteBytes(TempPath("tiles"), "not a picture");
  WriteBytes(TempPath("tiles.png"), QByteArray());

  ScriptDialogs({FileDialogStep(SaveFileDialog, saveTitle, saveFilters, TempPath("tiles"), pngEntry),
                 ReplaceQuestion(TempPath("tiles.png"), false)});
  Feed(MenuChosen(MenuSaveImage));
  EXPECT_TRUE(FileBytes(TempPath("tiles.png")).empty()); // No writes nothing
  EXPECT_EQ(FolderEntries(tempDir.path()), QStringList({"tiles", "tiles.png"}));

  ScriptDialogs({FileDialogStep(SaveFileDialog, saveTitle, saveFilters, TempPath("tiles"), pngEntry),
                 ReplaceQuestion(TempPath("tiles.png"), true)});
  Feed(MenuChosen(MenuSaveImage));
  EXPECT_TRUE(IsPngFileOf(TempPath("tiles.png"), 6, 5, 3, LetterF));
  EXPECT_EQ(FileBytes(TempPath("tiles")),
            std::vector<uint8_t>({'n', 'o', 't', ' ', 'a', ' ', 'p', 'i', 'c', 't', 'u', 'r', 'e'}));

  ScriptDialogs({FileDialogStep(SaveFileDialog, saveTitle, saveFilters, TempPath("tiles"),
                                bmpEntry)}); // tiles.bmp is not there: no question
  Feed(MenuChosen(MenuSaveImage));
  EXPECT_TRUE(IsBmpOf(TempPath("tiles.bmp"), 6, 5, 24, LetterF));
}

TEST_F(SavingPictures, AFolderIsNotReplacedAndNotAskedAbout) {
  OpenPicture(Paint(6, 5, 24, LetterF));
  ASSERT_TRUE(QDir().mkdir(TempPath("shots.png")));
  ScriptDialogs({FileDialogStep(SaveFileDialog, saveTitle, saveFilters, TempPath("shots"), pngEntry),
                 SaveWarning(TempPath("shots.png"))});
  Feed(MenuChosen(MenuSaveImage));
  EXPECT_TRUE(QFileInfo(TempPath("shots.png")).isDir());
  EXPECT_TRUE(FolderEntries(TempPath("shots.png")).isEmpty());
  EXPECT_EQ(FolderEntries(tempDir.path()), QStringList({"shots.png"}));
}

// After a grid operation the picture is 32-bit and fully opaque, and so is the file.
// Saving changes nothing in the program.
TEST_F(SavingPictures, AfterAddGridThePngIsRgbaAndNothingChanges) {
  OpenPicture(Paint(16, 16, 24, Noise));
  Feed(Clicked(AddGridButton));
  ASSERT_EQ(ImageDepth(workImage), 32);
  const QImage picture = WorkPicture();
  const std::vector<int32_t> map = tileMap;
  const int grid = gridOn, tiles = tileSize, zoomBefore = zoom, remappedBefore = remapped;

  ScriptDialogs({FileDialogStep(SaveFileDialog, saveTitle, saveFilters, TempPath("grid"), pngEntry)});
  Feed(MenuChosen(MenuSaveImage));
  EXPECT_TRUE(IsPngFileOf(TempPath("grid.png"), 17, 17, 4, NoiseWithGrid));

  EXPECT_EQ(WorkPicture(), picture);
  EXPECT_EQ(ImageDepth(workImage), 32);
  EXPECT_EQ(tileMap, map);
  EXPECT_EQ(gridOn, grid);
  EXPECT_EQ(tileSize, tiles);
  EXPECT_EQ(zoom, zoomBefore);
  EXPECT_EQ(remapped, remappedBefore);
  EXPECT_EQ(gridColor, magenta);
}

TEST_F(SavingPictures, AfterAddAndRemoveGridTheBmpIs32Bit) {
  OpenPicture(Paint(35, 18, 24, Noise));
  Feed(Clicked(AddGridButton));
  Feed(Clicked(RemoveGridButton));
  ASSERT_EQ(gridOn, 0);
  ScriptDialogs({FileDialogStep(SaveFileDialog, saveTitle, saveFilters, TempPath("cropped"), bmpEntry)});
  Feed(MenuChosen(MenuSaveImage));
  EXPECT_TRUE(IsBmpOf(TempPath("cropped.bmp"), 32, 16, 32, Noise));
  ScriptDialogs({FileDialogStep(SaveFileDialog, saveTitle, saveFilters, TempPath("cropped"), pngEntry)});
  Feed(MenuChosen(MenuSaveImage));
  EXPECT_TRUE(IsPngFileOf(TempPath("cropped.png"), 32, 16, 4, Noise));
}

// A disk that fills up midway through replacing a file, for both formats: the old file
// stays byte for byte, no temporary file is left, and the warning names the path.
TEST_F(SavingPictures, AWriteFailingMidwayKeepsTheOldFile) {
  OpenPicture(Paint(300, 300, 24, Noise)); // 270 kB of pixels, well over the limit
  const QByteArray oldBytes = "the picture saved yesterday";
  for (int entry : {pngEntry, bmpEntry}) {
    const QString path = TempPath(entry == pngEntry ? "old.png" : "old.bmp");
    SCOPED_TRACE(path.toStdString());
    WriteBytes(path, oldBytes);
    ScriptDialogs({FileDialogStep(SaveFileDialog, saveTitle, saveFilters, path, entry), ReplaceQuestion(path, true),
                   SaveWarning(path)});
    {
      FileSizeLimit limit(16 * 1024);
      Feed(MenuChosen(MenuSaveImage));
    }
    EXPECT_EQ(FileBytes(path), std::vector<uint8_t>(oldBytes.begin(), oldBytes.end()));
    EXPECT_TRUE(DialogScriptFailures().isEmpty()) << DialogScriptFailures().join("\n").toStdString();
  }
  EXPECT_EQ(FolderEntries(tempDir.path()), QStringList({"old.bmp", "old.png"}));
}

TEST_F(SavingPictures, AFileThatCannotBeCreatedIsReported) {
  OpenPicture(Paint(6, 5, 24, LetterF));
  const QString missing = TempPath("no such folder/tiles.png");
  ScriptDialogs({FileDialogStep(SaveFileDialog, saveTitle, saveFilters, missing, pngEntry), SaveWarning(missing)});
  Feed(MenuChosen(MenuSaveImage));
  EXPECT_TRUE(FolderEntries(tempDir.path()).isEmpty());

  if (geteuid() == 0)
    return; // the superuser writes into read-only folders all the same
  const QString locked = TempPath("locked");
  ASSERT_TRUE(QDir().mkdir(locked));
  WriteBytes(locked + "/tiles.png", "old");
  QFile::setPermissions(locked, QFile::ReadOwner | QFile::ExeOwner);
  ScriptDialogs({FileDialogStep(SaveFileDialog, saveTitle, saveFilters, locked + "/tiles.png", pngEntry),
                 ReplaceQuestion(locked + "/tiles.png", true), SaveWarning(locked + "/tiles.png")});
  Feed(MenuChosen(MenuSaveImage));
  QFile::setPermissions(locked, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
  EXPECT_EQ(FileBytes(locked + "/tiles.png"), std::vector<uint8_t>({'o', 'l', 'd'}));
  EXPECT_EQ(FolderEntries(locked), QStringList({"tiles.png"}));
}
