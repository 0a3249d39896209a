// Opening a picture file as the working picture.
#pragma once

#include <QString>

// Asks for a path when path is empty. On a successful load the picture replaces
// workImage and starts fresh: 16x16 tiles, no grid, a new tile map, nothing remapped.
// A cancelled dialog or a file that cannot be read changes nothing. Ends with UpdateControls.
void OpenImage(const QString &path);
