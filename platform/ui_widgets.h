// The Qt widgets behind the ui adapters, for the adapters themselves and for tests
// that look at what the user sees. The program's logic never includes this.
#pragma once

#include <QWidget>

class QMainWindow;

QMainWindow *MainWindowWidget();
QWidget *ClientWidget();        // the area below the menu bar in which the controls stand
QWidget *ControlWidget(int id); // nullptr for an unknown id
void RegisterControl(int id, QWidget *widget);

// The canvas widget: paints the picture it was given, reports left-button presses and
// releases as gadget events with positions in canvas pixels.
QWidget *NewCanvasWidget(int id, QWidget *parent);
void SetCanvasPicture(QWidget *canvas, int slot, int zoom);
void SetCanvasFill(QWidget *canvas, int32_t colour);

// Destroys the main window and forgets its controls, so that a test can start the
// program afresh in the same process.
void DestroyMainWindow();
