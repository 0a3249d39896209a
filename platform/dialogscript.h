// Scripted dialogs, for tests: the test states the dialogs it expects, in order, with
// their answers. Any other dialog, or one that differs from the next expected step, is
// recorded as a failure and answered as if cancelled.
#pragma once

#include <QString>
#include <QStringList>
#include <cstdint>
#include <optional>
#include <vector>

enum DialogKind { OpenFileDialog, SaveFileDialog, YesNoDialog, MessageDialog, WarningDialog, ColourDialog };

struct DialogStep {
  DialogKind kind = MessageDialog;
  QString title;
  std::optional<QString> text; // the message, or the filter list of a file dialog; unset: not checked
  QString answerPath;          // file dialogs: the path chosen, empty to cancel
  int answerFilter = 0;        // save dialog: the filter entry chosen
  bool answerYes = true;       // Yes/No box
  int32_t answerColour = -1;   // colour chooser: the colour chosen, -1 to cancel
};

// What a dialog was shown with, as the script saw it.
struct ShownDialog {
  DialogKind kind;
  QString title;
  QString text;
  int preselected = 0; // file dialogs
  int32_t initialColour = -1;
};

void ScriptDialogs(std::vector<DialogStep> steps);
void StopScriptingDialogs();
bool DialogsScripted();

// Called by the dialog adapters: takes the next step if it matches, else records a failure.
std::optional<DialogStep> TakeScriptedDialog(const ShownDialog &shown);

const std::vector<ShownDialog> &ShownDialogs(); // every dialog shown while scripted, in order
// Unexpected and mismatched dialogs so far, and steps not yet taken.
QStringList DialogScriptFailures();
