// The map file: one decimal tile number per whole tile in reading order, CR LF after each.
#pragma once

#include <QString>

void SaveMapAs();

// Reads the numbers of a map file into the tile map; asks for the file when path is empty.
void OpenMap(const QString &path);
