#include "app/dropped.h"

void OpenDroppedFile(const QString &) {}
