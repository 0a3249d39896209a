#include "grid/gridcolor.h"

#include "app/state.h"
#include "platform/dialogs.h"

// Only the next inserted grid uses the new colour: lines already in the picture are its
// pixels and stay as they are, so nothing is redrawn. Black is a colour like any other;
// only noColour means the user cancelled.
void ChooseGridColor() {
  const int32_t chosen = AskColour(gridColor);
  if (chosen != noColour)
    gridColor = chosen;
}
