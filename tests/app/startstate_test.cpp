// The state and the window right after start.
#include "app/ids.h"
#include "app/state.h"
#include "platform/imagelib.h"
#include "platform/ui.h"
#include "tests/support/apptest.h"
#include "tilemap/tilemap.h"

using StartState = AppTest;

TEST_F(StartState, ScalarsHoldTheirStartValues) {
  EXPECT_EQ(gridColor, 0xFF00FF);
  EXPECT_EQ(backColor, 0x808080);
  EXPECT_EQ(zoom, 1);
  EXPECT_EQ(tileSize, 16);
  EXPECT_EQ(gridOn, 0);
  EXPECT_EQ(remapped, 0);
  EXPECT_EQ(quitRequested, 0);
  EXPECT_EQ(fromCol, -1);
  EXPECT_EQ(fromRow, -1);
  EXPECT_EQ(toCol, -1);
  EXPECT_EQ(toRow, -1);
  EXPECT_FALSE(ImageExists(workImage));
}

TEST_F(StartState, TileMapIsTwoByTwoZeros) {
  EXPECT_EQ(tileCols, 1);
  EXPECT_EQ(tileRows, 1);
  ASSERT_EQ(tileMap.size(), 4u);
  for (int32_t cell : tileMap)
    EXPECT_EQ(cell, 0);
}

TEST_F(StartState, PictureControlsAreDisabledAndComboShowsDefault) {
  for (int id : {AddGridButton, RemoveGridButton, TileModeCombo, ResetMapButton})
    EXPECT_FALSE(ControlEnabled(id)) << id;
  EXPECT_EQ(ComboSelection(TileModeCombo), 1);
  EXPECT_EQ(StatusText(1), "Zoom: 1x1");
  EXPECT_EQ(StatusText(0), "");
}
