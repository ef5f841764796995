// main for the widget tests: one QApplication on Qt's offscreen platform (unless
// QT_QPA_PLATFORM says otherwise) that outlives every test and is gone before the program's
// static objects are, so nothing of Qt is torn down out of order at exit.
#include <gtest/gtest.h>

#include <QApplication>
#include <cstdlib>

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  QApplication app(argc, argv);
  return RUN_ALL_TESTS();
}
