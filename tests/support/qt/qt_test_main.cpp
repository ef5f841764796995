// The GUI tests' main: one QApplication on Qt's offscreen platform that outlives every test and
// is gone before the program's static objects are. A build may set the screen's scale
// (CORVANE_TEST_SCALE_FACTOR, e.g. "2" for a 200 % screen).
#include <gtest/gtest.h>
#include <stdlib.h>

#include <QApplication>

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 1);
#ifdef CORVANE_TEST_SCALE_FACTOR
  setenv("QT_SCALE_FACTOR", CORVANE_TEST_SCALE_FACTOR, 1);
#endif
  QApplication application(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
