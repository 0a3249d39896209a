#include "app/savewarning.h"

#include "platform/dialogs.h"

void ReportSaveFailure(const QString &path) {
  ShowWarning("Save failed", "Could not write " + path + ".\nAny file that was already there is unchanged.");
}
