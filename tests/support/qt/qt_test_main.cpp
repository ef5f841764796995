// The GUI tests' main: one QApplication on Qt's offscreen platform that outlives every test and
// is gone before the program's static objects are. A build may set the screen's scale
// (CORVANE_TEST_SCALE_FACTOR, e.g. "2" for a 200 % screen) or another platform
// (CORVANE_TEST_PLATFORM, e.g. "xcb" for a program run under Xvfb).
#include <gtest/gtest.h>
#include <stdlib.h>

#include <QApplication>

#ifndef CORVANE_TEST_PLATFORM
#define CORVANE_TEST_PLATFORM "offscreen"
#endif

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", CORVANE_TEST_PLATFORM, 1);
#ifdef CORVANE_TEST_SCALE_FACTOR
  setenv("QT_SCALE_FACTOR", CORVANE_TEST_SCALE_FACTOR, 1);
#endif
  QApplication application(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
