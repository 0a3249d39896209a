// The zoomed view: workImage enlarged by zoom on the canvas, the factor in the status bar.
#pragma once

#include <QString>

// Clamps zoom into 1..10; with a picture, sizes the scroll area and the canvas to the
// enlarged picture, has the canvas show the picture as it is now, and writes the zoom
// text. Without a picture nothing on screen changes.
void RefreshView();

// One wheel message: rotation > 0 zooms in one step, < 0 out one step, 0 does nothing.
void WheelStep(int rotation);

// "Zoom: 3x3" for zoom 3.
QString ZoomText(int factor);
