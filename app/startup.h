// Start-up, after the platform is running: state, tile map, window, controls, view.
#pragma once

void StartProgram();
