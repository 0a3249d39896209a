#include "app/mainwindow.h"

#include "app/about.h"
#include "app/ids.h"
#include "app/state.h"
#include "platform/imagelib.h"
#include "platform/ui.h"

constexpr int windowWidth = 640; // inner size at start and the smallest the user can make it
constexpr int windowHeight = 480;
constexpr int zoomFieldWidth = 100; // status bar field 1
constexpr int canvasSide = 256;     // the empty view at start
constexpr int scrollStep = 8;       // pixels per click on a scroll arrow

static void CreateMenus() {
  AddMenuTitle("File");
  AddMenuItem(MenuOpenImage, "Open..\tCtrl + O");
  AddShortcut(MenuOpenImage, "Ctrl+O");
  AddMenuItem(MenuSaveImage, "Save As..\tCtrl + S");
  AddShortcut(MenuSaveImage, "Ctrl+S");
  AddMenuSeparator();
  AddMenuItem(MenuQuit, "Quit");
  AddMenuTitle("Map");
  AddMenuItem(MenuOpenMap, "Open..");
  AddMenuItem(MenuSaveMap, "Save As..");
  AddMenuSeparator();
  AddMenuItem(MenuResetMap, "Reset Map");
  AddMenuTitle("Settings");
  AddMenuItem(MenuGridColor, "Set GridColor");
  AddMenuTitle("Help");
  AddMenuItem(MenuAbout, "About");
}

static void CreateControls() {
  CreateLabel(TileModeLabel, 5, 7, 70, 20, "TileMode:");
  CreateCombo(TileModeCombo, 85, 5, 120, 20);
  AddComboItem(TileModeCombo, " 8x8 Grid");
  AddComboItem(TileModeCombo, "16x16 Grid (default)");
  SetComboSelection(TileModeCombo, 1);
  CreateButton(AddGridButton, 210, 5, 120, 20, "Add Grid");
  CreateButton(RemoveGridButton, 335, 5, 120, 20, "Remove Grid");
  CreateButton(ResetMapButton, ClientWidth() - 125, 5, 120, 20, "Reset Map");
}

void CreateMainWindow() {
  OpenMainWindow(DecipherText(TitleCipher()), windowWidth, windowHeight);
  SetWindowMinimumSize(windowWidth, windowHeight);
  EnableFileDrops();
  CreateMenus();
  CreateStatusBar(zoomFieldWidth);
  SetStatusText(1, "Zoom: 1x1");
  CreateControls();
  const int width = ClientWidth(), height = ClientHeight(), status = StatusBarHeight();
  CreateScroller(ViewScroller, 5, 30, width - 10, height - status - 35, scrollStep);
  CreateCanvas(ViewCanvas, ViewScroller, canvasSide, canvasSide);
  FillCanvas(ViewCanvas, backColor);
  SetScrollerBackground(ViewScroller, backColor);
  ShowMainWindow();
}

void UpdateControls() {
  const bool picture = ImageExists(workImage);
  EnableControl(AddGridButton, picture && gridOn == 0);
  EnableControl(RemoveGridButton, picture && gridOn != 0);
  EnableControl(TileModeCombo, picture && gridOn == 0);
  EnableControl(ResetMapButton, picture && remapped != 0);
  if (picture)
    SetComboSelection(TileModeCombo, tileSize == 8 ? 0 : 1);
}

void LayoutMainWindow() {
  const int width = ClientWidth(), height = ClientHeight(), status = StatusBarHeight();
  ResizeControl(ViewScroller, width - 10, height - status - 35);
  MoveControl(ResetMapButton, width - 125, 5);
}
