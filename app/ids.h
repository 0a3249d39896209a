// Fixed ids of the window, its menu items, status bar and controls.
#pragma once

enum ControlId {
  MainWindow = 0,
  ViewScroller = 1,
  ViewCanvas = 2,
  MainMenu = 3,
  MenuOpenImage = 4,
  MenuSaveImage = 5,
  MenuQuit = 6,
  MenuOpenMap = 7,
  MenuSaveMap = 8,
  MenuResetMap = 9,
  MenuGridColor = 10,
  MenuAbout = 11,
  StatusBar = 12,
  AddGridButton = 14,
  RemoveGridButton = 15,
  TileModeLabel = 16,
  TileModeCombo = 17,
  ResetMapButton = 18,
};
