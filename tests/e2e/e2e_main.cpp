// Entry of the end-to-end tests: no toolkit platform of its own (the program under test
// runs on the X display each test starts); the core application serves QProcess.
#include <QCoreApplication>
#include <gtest/gtest.h>

int main(int argc, char **argv) {
  ::testing::InitGoogleTest(&argc, argv);
  QCoreApplication application(argc, argv);
  return RUN_ALL_TESTS();
}
