// The main of the high-resolution tests: a QApplication on the offscreen platform at twice the
// device pixel ratio (QT_SCALE_FACTOR=2), as a 200 % screen shows the program.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <QApplication>

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 1);
  setenv("QT_SCALE_FACTOR", "2", 1);
  QApplication application(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
