// The dialogs over Qt Widgets, or from the script while one is active.
#include "platform/colour.h"
#include "platform/dialogs.h"
#include "platform/dialogscript.h"
#include "platform/ui_widgets.h"

#include <QColorDialog>
#include <QFileDialog>
#include <QMainWindow>
#include <QMessageBox>
#include <QRegularExpression>

namespace {

// "Supported Images (*.bmp;*.jpg)|*.bmp;*.jpg" -> {"Supported Images (*.bmp *.jpg)"}:
// Qt reads a filter's patterns from the parentheses, separated by blanks.
QStringList QtFilters(const QString &filters) {
  const QStringList parts = filters.split(u'|');
  QStringList result;
  for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
    QString description = parts[i];
    description.remove(QRegularExpression(R"(\s*\([^)]*\)\s*$)"));
    result << QString("%1 (%2)").arg(description, QString(parts[i + 1]).replace(u';', u' '));
  }
  return result;
}

QString RunFileDialog(QFileDialog::AcceptMode mode, const QString &title, const QString &defaultName,
                      const QString &filters, int preselected, int *chosenFilter) {
  QFileDialog dialog(MainWindowWidget(), title);
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  dialog.setOption(QFileDialog::DontConfirmOverwrite);
  dialog.setAcceptMode(mode);
  dialog.setFileMode(QFileDialog::AnyFile);
  const QStringList qtFilters = QtFilters(filters);
  dialog.setNameFilters(qtFilters);
  if (preselected >= 0 && preselected < qtFilters.size())
    dialog.selectNameFilter(qtFilters[preselected]);
  if (!defaultName.contains(u'*') && !defaultName.contains(u'?'))
    dialog.selectFile(defaultName);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
    return QString();
  if (chosenFilter)
    *chosenFilter = std::max(0, int(qtFilters.indexOf(dialog.selectedNameFilter())));
  return dialog.selectedFiles().first();
}

int RunMessageBox(QMessageBox::Icon icon, const QString &title, const QString &text,
                  QMessageBox::StandardButtons buttons, QMessageBox::StandardButton defaultButton) {
  QMessageBox box(icon, title, text, buttons, MainWindowWidget());
  box.setDefaultButton(defaultButton);
  return box.exec();
}

std::optional<DialogStep> Scripted(DialogKind kind, const QString &title, const QString &text, int preselected = 0,
                                   int32_t initialColour = -1) {
  return TakeScriptedDialog(ShownDialog{kind, title, text, preselected, initialColour});
}

} // namespace

QString AskOpenFileName(const QString &title, const QString &defaultName, const QString &filters, int preselected) {
  if (DialogsScripted()) {
    auto step = Scripted(OpenFileDialog, title, filters, preselected);
    return step ? step->answerPath : QString();
  }
  return RunFileDialog(QFileDialog::AcceptOpen, title, defaultName, filters, preselected, nullptr);
}

QString AskSaveFileName(const QString &title, const QString &defaultName, const QString &filters, int preselected,
                        int &chosenFilter) {
  chosenFilter = preselected;
  if (DialogsScripted()) {
    auto step = Scripted(SaveFileDialog, title, filters, preselected);
    if (step)
      chosenFilter = step->answerFilter;
    return step ? step->answerPath : QString();
  }
  return RunFileDialog(QFileDialog::AcceptSave, title, defaultName, filters, preselected, &chosenFilter);
}

bool AskYesNo(const QString &title, const QString &text) {
  if (DialogsScripted()) {
    auto step = Scripted(YesNoDialog, title, text);
    return step && step->answerYes;
  }
  return RunMessageBox(QMessageBox::NoIcon, title, text, QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes) ==
         QMessageBox::Yes;
}

void ShowMessage(const QString &title, const QString &text) {
  if (DialogsScripted()) {
    Scripted(MessageDialog, title, text);
    return;
  }
  RunMessageBox(QMessageBox::NoIcon, title, text, QMessageBox::Ok, QMessageBox::Ok);
}

void ShowWarning(const QString &title, const QString &text) {
  if (DialogsScripted()) {
    Scripted(WarningDialog, title, text);
    return;
  }
  RunMessageBox(QMessageBox::Warning, title, text, QMessageBox::Ok, QMessageBox::Ok);
}

int32_t AskColour(int32_t initial) {
  static bool customColoursSet = false; // the boxes keep the user's colours for the run
  if (!customColoursSet) {
    for (int i = 1; i < QColorDialog::customCount(); ++i)
      QColorDialog::setCustomColor(i, QColor(Qt::black));
    customColoursSet = true;
  }
  const QColor start(RedOf(initial), GreenOf(initial), BlueOf(initial));
  QColorDialog::setCustomColor(0, start);
  if (DialogsScripted()) {
    auto step = Scripted(ColourDialog, QString(), QString(), 0, initial);
    return step ? step->answerColour : noColour;
  }
  const QColor chosen = QColorDialog::getColor(start, MainWindowWidget());
  return chosen.isValid() ? PackColour(chosen.red(), chosen.green(), chosen.blue()) : noColour;
}
