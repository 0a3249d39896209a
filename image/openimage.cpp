#include "image/openimage.h"

#include "app/mainwindow.h"

void OpenImage(const QString &) { UpdateControls(); }
