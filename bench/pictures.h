// Pictures made by the benchmark itself, so that no large file lives in the repository.
#pragma once

#include <QImage>
#include <QString>

// A tile sheet: 16x16 tiles of a few dozen flat-coloured designs, each with an outline,
// a diagonal highlight and some detail, plus a speckle that makes every tile differ a
// little: many short matches for deflate, as in drawn sheets.
QImage TileSheet(int width, int height);

// Every byte random: the worst case for compression.
QImage Noise(int width, int height);

// Writes picture (Format_RGB888) as PNG with bare libpng: filter None on every row, no
// other chunks, zlib at level. False on any error.
bool WriteBarePng(const QString &path, const QImage &picture, int level);
