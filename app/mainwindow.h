// The main window: built once at start, its controls enabled from the state, refitted on resize.
#pragma once

// Builds the window, menu, shortcuts, status bar, controls and the empty grey view.
void CreateMainWindow();

// The one place that derives the enabled state of the four picture controls and the
// selection of the tile-mode combo box from the application state.
void UpdateControls();

// Refits the view and moves the Reset Map button after the window changed size.
void LayoutMainWindow();
