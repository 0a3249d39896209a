// Telling the user that a file could not be written.
#pragma once

#include <QString>

// A warning box naming path; any file that was already there is unchanged.
void ReportSaveFailure(const QString &path);
