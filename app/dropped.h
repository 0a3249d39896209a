// Files dropped on the window.
#pragma once

#include <QString>

// files: the dropped paths, separated by the character with code 10. Opens the first
// as a map file when its extension is "ZIRF-MAP", otherwise as a picture.
void OpenDroppedFile(const QString &files);
