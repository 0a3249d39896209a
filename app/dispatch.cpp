#include "app/dispatch.h"

#include "app/about.h"
#include "app/dropped.h"
#include "app/ids.h"
#include "app/mainwindow.h"
#include "app/state.h"
#include "grid/grid.h"
#include "grid/gridcolor.h"
#include "image/openimage.h"
#include "image/saveimage.h"
#include "image/view.h"
#include "platform/ui.h"
#include "tilemap/mapfile.h"
#include "tilemap/resetcommands.h"
#include "tilemap/swap.h"
#include "tilemap/tilemap.h"

#include <iterator>

namespace {

enum Tail {
  NoTail,
  FocusTail,   // the keyboard focus to the canvas
  ControlTail, // UpdateControls, RefreshView, then the focus tail
};

constexpr int anyType = -1;

struct Row {
  int source;                   // control id, or menu item id
  int type;                     // gadget type, or anyType
  void (*steps)(const Event &); // the row's steps, in order
  Tail tail;
};

bool ComboShows8x8() { return ComboSelection(TileModeCombo) == 0; }

// The rows keep one line each, as the table reads.
// clang-format off
const Row gadgetRows[] = {
    {AddGridButton, GadgetClicked,
     [](const Event &) { if (ComboShows8x8() ? AddGrid8() : AddGrid16()) gridOn = 1; }, ControlTail},
    {RemoveGridButton, GadgetClicked,
     [](const Event &) { if (ComboShows8x8() ? RemoveGrid8() : RemoveGrid16()) gridOn = 0; }, ControlTail},
    {TileModeCombo, GadgetSelectionChanged, [](const Event &) { TileModeChanged(); }, ControlTail},
    {ResetMapButton, GadgetClicked, [](const Event &) { RestoreTiles(); InitTileMap(); remapped = 0; }, ControlTail},
    {ViewCanvas, GadgetLeftPressed, [](const Event &event) { CanvasPressed(event.x, event.y); }, NoTail},
    {ViewCanvas, GadgetLeftReleased, [](const Event &event) { CanvasReleased(event.x, event.y); }, NoTail},
};

const Row menuRows[] = {
    {MenuOpenImage, anyType, [](const Event &) { OpenImage(QString()); zoom = 1; RefreshView(); }, FocusTail},
    {MenuSaveImage, anyType, [](const Event &) { SaveImageAs(); }, FocusTail},
    {MenuQuit, anyType, [](const Event &) { EndProgram(); }, NoTail},
    {MenuOpenMap, anyType, [](const Event &) { OpenMap(QString()); UpdateControls(); }, FocusTail},
    {MenuSaveMap, anyType, [](const Event &) { SaveMapAs(); }, FocusTail},
    {MenuResetMap, anyType,
     [](const Event &) { RestoreTiles(); RefreshView(); InitTileMap(); remapped = 0; UpdateControls(); }, FocusTail},
    {MenuGridColor, anyType, [](const Event &) { ChooseGridColor(); }, FocusTail},
    {MenuAbout, anyType, [](const Event &) { ShowAbout(); }, FocusTail},
};
// clang-format on

template <size_t N> Tail RunRow(const Row (&rows)[N], int source, int type, const Event &event) {
  for (const Row &row : rows)
    if (row.source == source && (row.type == anyType || row.type == type)) {
      row.steps(event);
      return row.tail;
    }
  return NoTail;
}

Tail OnGadget(const Event &event) { return RunRow(gadgetRows, event.sourceId, event.type, event); }

Tail OnMenu(const Event &event) { return RunRow(menuRows, event.menuId, anyType, event); }

Tail OnWheel(const Event &event) {
  WheelStep(event.rotation);
  return NoTail;
}

Tail OnDrop(const Event &event) {
  if (event.dropKind != DropFiles)
    return NoTail;
  OpenDroppedFile(event.files);
  return FocusTail;
}

Tail OnClose(const Event &) {
  quitRequested = 1;
  return NoTail;
}

Tail OnSize(const Event &) {
  LayoutMainWindow();
  return FocusTail;
}

Tail OnOther(const Event &) { return NoTail; }

// One handler per event kind, in the order of EventKind.
Tail (*const handlers[])(const Event &) = {OnGadget, OnMenu, OnWheel, OnDrop, OnClose, OnSize, OnOther};
static_assert(std::size(handlers) == EventKindCount);

} // namespace

void Dispatch(const Event &event) {
  const Tail tail = event.kind >= 0 && event.kind < EventKindCount ? handlers[event.kind](event) : NoTail;
  if (tail == ControlTail) {
    UpdateControls();
    RefreshView();
  }
  if (tail != NoTail)
    FocusControl(ViewCanvas);
}

void EventLoop() {
  for (;;) {
    Dispatch(WaitEvent());
    if (quitRequested)
      EndProgram();
  }
}

void EndProgram() { EndProcess(0); }
