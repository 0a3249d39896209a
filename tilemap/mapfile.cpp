#include "tilemap/mapfile.h"

void SaveMapAs() {}
void OpenMap(const QString &) {}
