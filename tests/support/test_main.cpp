// Test entry: runs the widget tests offscreen unless a platform is chosen.
#include "platform/ui.h"

#include <gtest/gtest.h>

int main(int argc, char **argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
    qputenv("QT_QPA_PLATFORM", "offscreen");
  ::testing::InitGoogleTest(&argc, argv);
  if (!InitPlatform(argc, argv))
    return 2;
  return RUN_ALL_TESTS();
}
