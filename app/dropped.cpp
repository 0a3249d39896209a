#include "app/dropped.h"

#include "app/mainwindow.h"
#include "app/state.h"
#include "image/openimage.h"
#include "image/view.h"
#include "platform/pathtext.h"
#include "tilemap/mapfile.h"

void OpenDroppedFile(const QString &files) {
  // Only the first file counts; it is opened by its extension, never by its content.
  const QString first = files.left(files.indexOf(QChar(10)));
  if (HasExtension(first, "ZIRF-MAP")) {
    OpenMap(first);
  } else if (!first.isEmpty()) { // an empty path would make OpenImage ask for a file
    OpenImage(first);
    zoom = 1;
    RefreshView();
  }
  UpdateControls();
}
