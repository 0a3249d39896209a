// The questions and warnings around writing a file the user chose.
#pragma once

#include <QString>

// True when path may be written: nothing or a folder is there (a folder is not replaced,
// and writing over it fails later), or a file is there and the user agrees to replace it.
bool MayReplace(const QString &path);

// A warning box naming path; any file that was already there is unchanged.
void ReportSaveFailure(const QString &path);
