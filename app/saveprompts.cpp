#include "app/saveprompts.h"

#include "platform/dialogs.h"
#include "platform/files.h"

bool MayReplace(const QString &path) {
  return PathKind(path) != PathFile ||
         AskYesNo("Confirm Save As", path + " already exists. Do you want to replace it?");
}

void ReportSaveFailure(const QString &path) {
  ShowWarning("Save failed", "Could not write " + path + ".\nAny file that was already there is unchanged.");
}
