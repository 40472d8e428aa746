// main() of the widget test programs: widgets need a QApplication before any
// test creates one. CTest runs them on the offscreen platform; a test program
// started by hand defaults to it as well.

// Standard library
#include <cstdlib>

// Qt
#include <QApplication>

#include <gtest/gtest.h>

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  QApplication app(argc, argv);
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
