// ZIRF: a desktop tool for tile-based pixel graphics.
#include "app/dispatch.h"
#include "app/startup.h"
#include "platform/ui.h"

int main(int argc, char **argv) {
  if (!InitPlatform(argc, argv))
    return 2;
  StartProgram();
  EventLoop();
}
