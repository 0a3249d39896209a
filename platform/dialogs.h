// The modal dialogs, behind one narrow interface. Filter lists are written as
// "description|pattern|description|pattern", a pattern holding globs separated by ";".
// While a dialog script is active (dialogscript.h) the answers come from the script.
#pragma once

#include <QString>
#include <cstdint>

// The chosen full path, or the empty text when cancelled. Neither dialog adds an
// extension or asks about replacing; defaultName holding a wildcard leaves the name box empty.
QString AskOpenFileName(const QString &title, const QString &defaultName, const QString &filters, int preselected);
QString AskSaveFileName(const QString &title, const QString &defaultName, const QString &filters, int preselected,
                        int &chosenFilter);

// Yes/No box without an icon, Yes the default button. True for Yes.
bool AskYesNo(const QString &title, const QString &text);

// A box with one OK button, without an icon.
void ShowMessage(const QString &title, const QString &text);

// A box with one OK button and the warning icon, for a failure the user must know of.
void ShowWarning(const QString &title, const QString &text);

// The colour chooser; returns the confirmed colour packed as red + green * 256 +
// blue * 65536, or noColour when cancelled. The first custom colour shows initial; the
// others keep what the user put there for the rest of the run.
constexpr int32_t noColour = -1;
int32_t AskColour(int32_t initial);
