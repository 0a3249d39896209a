// Choosing the grid colour: what the chooser opens with, cancel, black, the custom
// colour boxes, and that only the next inserted grid uses the new colour.
#include "app/ids.h"
#include "app/state.h"
#include "platform/colour.h"
#include "platform/dialogs.h"
#include "platform/imagelib.h"
#include "tests/support/apptest.h"

#include <QColorDialog>
#include <vector>

namespace {

constexpr int32_t magenta = 0xFF00FF;

DialogStep ColourChosen(int32_t colour) {
  DialogStep step;
  step.kind = ColourDialog;
  step.title = "";
  step.answerColour = colour;
  return step;
}

void ChooseColour(int32_t answer) {
  ScriptDialogs({ColourChosen(answer)});
  Feed(MenuChosen(MenuGridColor));
}

QRgb Packed(int32_t colour) { return qRgb(RedOf(colour), GreenOf(colour), BlueOf(colour)); }

using GridColour = AppTest;

} // namespace

TEST_F(GridColour, TheChooserOpensWithTheCurrentColourAndCancelKeepsIt) {
  ChooseColour(noColour);
  ASSERT_EQ(ShownDialogs().size(), 1u);
  EXPECT_EQ(ShownDialogs()[0].initialColour, magenta);
  EXPECT_EQ(gridColor, magenta);

  ChooseColour(PackColour(10, 20, 30));
  EXPECT_EQ(gridColor, PackColour(10, 20, 30));
  ChooseColour(noColour);
  EXPECT_EQ(ShownDialogs()[0].initialColour, PackColour(10, 20, 30));
  EXPECT_EQ(gridColor, PackColour(10, 20, 30));
}

TEST_F(GridColour, BlackIsAColourNotACancel) {
  OpenPicture(PatternPicture(16, 16));
  ChooseColour(0);
  EXPECT_EQ(gridColor, 0);
  Feed(Clicked(AddGridButton));
  const QImage after = WorkPicture();
  for (int i = 0; i < 17; ++i) {
    EXPECT_EQ(after.pixel(16, i), qRgb(0, 0, 0)) << i;
    EXPECT_EQ(after.pixel(i, 16), qRgb(0, 0, 0)) << i;
  }
}

// Lines already in the picture are its pixels: a new colour leaves them, Remove Grid
// still takes them out, and the next Add Grid draws in the new colour.
TEST_F(GridColour, ANewColourIsUsedOnlyByTheNextInsertion) {
  const QImage before = PatternPicture(32, 16);
  OpenPicture(before);
  Feed(Clicked(AddGridButton));
  const QImage withMagenta = WorkPicture();
  ASSERT_EQ(withMagenta.pixel(16, 3), Packed(magenta));

  const int32_t green = PackColour(0, 200, 0);
  ChooseColour(green);
  EXPECT_EQ(WorkPicture(), withMagenta);
  EXPECT_EQ(gridOn, 1);

  Feed(Clicked(RemoveGridButton));
  EXPECT_EQ(WorkPicture(), before);
  Feed(Clicked(AddGridButton));
  const QImage withGreen = WorkPicture();
  for (int y = 0; y < 17; ++y)
    for (int x = 0; x < 34; ++x) {
      const bool line = x % 17 == 16 || y % 17 == 16;
      ASSERT_EQ(withGreen.pixel(x, y), line ? Packed(green) : withMagenta.pixel(x, y)) << x << "," << y;
    }
}

// The first of the sixteen boxes shows the colour the chooser opens with; the other
// fifteen start black and keep what the user puts there.
TEST_F(GridColour, TheCustomColourBoxesShowTheCurrentColourAndKeepTheUsers) {
  ChooseColour(noColour);
  ASSERT_EQ(QColorDialog::customCount(), 16);
  EXPECT_EQ(QColorDialog::customColor(0), QColor(255, 0, 255));
  for (int i = 1; i < 16; ++i)
    EXPECT_EQ(QColorDialog::customColor(i), QColor(Qt::black)) << i;

  QColorDialog::setCustomColor(5, QColor(1, 2, 3)); // as the user would in the dialog
  ChooseColour(PackColour(40, 50, 60));
  ChooseColour(noColour);
  EXPECT_EQ(QColorDialog::customColor(0), QColor(40, 50, 60));
  EXPECT_EQ(QColorDialog::customColor(5), QColor(1, 2, 3));
  EXPECT_EQ(QColorDialog::customColor(6), QColor(Qt::black));
}
