#include "app/startup.h"

#include "app/mainwindow.h"
#include "app/state.h"
#include "image/view.h"
#include "tilemap/tilemap.h"

void StartProgram() {
  SetStartState();
  CreateStartTileMap();
  CreateMainWindow();
  UpdateControls();
  RefreshView();
}
