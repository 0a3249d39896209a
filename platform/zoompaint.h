// Nearest-neighbour enlargement of a region of a picture, as the canvas shows it.
#pragma once

#include <QRect>

class QImage;

// Fills out (Format_RGB32, area's size) with the view of picture at zoom: view pixel
// (x, y) shows picture pixel (x / zoom, y / zoom), red, green and blue only. View pixels
// beyond the enlarged picture are left as they are.
void PaintZoomed(const QImage &picture, int zoom, const QRect &area, QImage &out);
