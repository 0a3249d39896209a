// The real dialogs behind the dialog interface, inspected while they are open.
#include "platform/dialogs.h"
#include "platform/dialogscript.h"
#include "tests/support/apptest.h"

#include <QApplication>
#include <QColorDialog>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <functional>

using RealDialogs = AppTest;

// Runs look on the modal dialog once it is open; look must close it.
template <typename Dialog> static void WhenOpen(std::function<void(Dialog *)> look) {
  QTimer::singleShot(0, [look] {
    auto *dialog = qobject_cast<Dialog *>(QApplication::activeModalWidget());
    ASSERT_NE(dialog, nullptr);
    look(dialog);
  });
}

TEST_F(RealDialogs, OpenDialogShowsTitleFiltersAndAnEmptyName) {
  StopScriptingDialogs();
  WhenOpen<QFileDialog>([](QFileDialog *dialog) {
    EXPECT_EQ(dialog->windowTitle(), "Please choose file to open..");
    EXPECT_EQ(dialog->nameFilters(), QStringList{"Supported Images (*.bmp *.jpg *.png *.gif)"});
    EXPECT_EQ(dialog->acceptMode(), QFileDialog::AcceptOpen);
    EXPECT_EQ(dialog->fileMode(), QFileDialog::AnyFile); // a typed name need not exist
    EXPECT_TRUE(dialog->findChild<QLineEdit *>("fileNameEdit")->text().isEmpty());
    dialog->reject();
  });
  EXPECT_EQ(AskOpenFileName("Please choose file to open..", "*.*",
                            "Supported Images (*.bmp;*.jpg;*.png;*.gif)|*.bmp;*.jpg;*.png;*.gif", 0),
            QString());
}

TEST_F(RealDialogs, SaveDialogReportsTheChosenFilterAndAddsNoExtension) {
  StopScriptingDialogs();
  const QString typed = TempPath("sheet");
  WhenOpen<QFileDialog>([typed](QFileDialog *dialog) {
    EXPECT_EQ(dialog->nameFilters(), (QStringList{"Portable Network Graphics (*.png)", "Windows Bitmap (*.bmp)"}));
    EXPECT_EQ(dialog->selectedNameFilter(), "Portable Network Graphics (*.png)");
    EXPECT_TRUE(dialog->testOption(QFileDialog::DontConfirmOverwrite));
    dialog->selectNameFilter("Windows Bitmap (*.bmp)");
    dialog->selectFile(typed);
    static_cast<QDialog *>(dialog)->accept(); // as the Save button does
  });
  int chosen = -1;
  EXPECT_EQ(AskSaveFileName("Please choose file to save..", "*.png",
                            "Portable Network Graphics (*.png)|*.png|Windows Bitmap (*.bmp)|*.bmp", 0, chosen),
            typed);
  EXPECT_EQ(chosen, 1);
}

TEST_F(RealDialogs, YesNoBoxHasNoIconAndYesAsDefault) {
  StopScriptingDialogs();
  WhenOpen<QMessageBox>([](QMessageBox *box) {
    EXPECT_EQ(box->windowTitle(), "Confirm Save As");
    EXPECT_EQ(box->text(), "x already exists. Do you want to replace it?");
    EXPECT_EQ(box->icon(), QMessageBox::NoIcon);
    EXPECT_EQ(box->standardButtons(), QMessageBox::Yes | QMessageBox::No);
    EXPECT_EQ(box->defaultButton(), box->button(QMessageBox::Yes));
    box->button(QMessageBox::No)->click();
  });
  EXPECT_FALSE(AskYesNo("Confirm Save As", "x already exists. Do you want to replace it?"));
}

TEST_F(RealDialogs, ColourChooserStartsAtTheColourAndKeepsCustomColours) {
  StopScriptingDialogs();
  WhenOpen<QColorDialog>([](QColorDialog *dialog) {
    EXPECT_EQ(dialog->currentColor(), QColor(10, 20, 30));
    EXPECT_EQ(QColorDialog::customColor(0), QColor(10, 20, 30));
    EXPECT_EQ(QColorDialog::customColor(1), QColor(Qt::black));
    QColorDialog::setCustomColor(5, QColor(1, 2, 3)); // the user fills a box
    dialog->setCurrentColor(QColor(0, 0, 0));
    dialog->accept();
  });
  EXPECT_EQ(AskColour(10 + 20 * 256 + 30 * 65536), 0); // black is a colour, not a cancel
  WhenOpen<QColorDialog>([](QColorDialog *dialog) {
    EXPECT_EQ(QColorDialog::customColor(0), QColor(0, 0, 0));
    EXPECT_EQ(QColorDialog::customColor(5), QColor(1, 2, 3));
    dialog->reject();
  });
  EXPECT_EQ(AskColour(0), noColour);
}

TEST_F(RealDialogs, ScriptedDialogsFailOnAnythingUnexpected) {
  DialogStep yes;
  yes.kind = YesNoDialog;
  yes.title = "Confirm Save As";
  yes.text = "a";
  ScriptDialogs({yes});
  EXPECT_FALSE(AskYesNo("Confirm Save As", "b")); // wrong text: a failure, answered as No
  EXPECT_EQ(AskOpenFileName("t", "*.*", "f|*", 0), QString());
  const QStringList failures = DialogScriptFailures();
  EXPECT_EQ(failures.size(), 3); // mismatch, unexpected, and the step never taken
  ScriptDialogs({});
}
