// Plain event values and the queue that carries them from Qt to the event loop.
#pragma once

#include <QString>

enum EventKind {
  GadgetEvent, // a control reported something: sourceId, type, and x, y for the canvas
  MenuEvent,   // a menu item or its shortcut: menuId
  WheelEvent,  // one wheel message: rotation, > 0 away from the user
  DropEvent,   // something dropped on the window: dropKind, files
  CloseEvent,  // the close box, the window menu's Close, or the close key
  SizeEvent,   // the window changed size (not when minimised)
  OtherEvent,  // anything else the toolkit reports; ignored
  EventKindCount
};

enum GadgetType {
  GadgetClicked,          // a push button was clicked
  GadgetSelectionChanged, // the user changed a drop-down list's selection
  GadgetLeftPressed,      // left button pressed on the canvas, x and y in canvas pixels
  GadgetLeftReleased,     // left button released on the canvas, x and y in canvas pixels
  GadgetOther             // scrolling, resizing and the like; ignored
};

enum DropKind { DropFiles, DropOther };

struct Event {
  EventKind kind = OtherEvent;
  int sourceId = -1;      // control id of a gadget event
  int type = GadgetOther; // GadgetType of a gadget event
  int menuId = -1;        // item id of a menu event
  int x = 0, y = 0;       // pointer position in canvas pixels
  int rotation = 0;       // signed wheel rotation
  int dropKind = DropOther;
  QString files; // dropped paths separated by the character with code 10
};

// Appends an event. A size event replaces one that is still waiting.
void PostEvent(const Event &event);

// Blocks, letting Qt run, until an event is waiting, and takes it off the queue.
Event WaitEvent();

// Takes the next event without waiting; false when the queue is empty.
bool TakeEvent(Event &event);

// Lets Qt deliver what it has pending, without waiting for more.
void PumpToolkit();

int PendingEventCount();
void ClearEvents();
