// Standard library
#include <string>

#include <gtest/gtest.h>

// Quillex
#include "platform/qt/QtDialogService.h"

namespace quillex {
namespace {

TEST(QtDialogService, FiltersAndSuffixesSuitThisFileSystem) {
  // "All files" must match names without a dot too, as most programs here have.
  EXPECT_EQ(QtNameFilter(FileFilter{"All files (*.*)", "*.*"}), "All files (*.*) (*)");
  EXPECT_EQ(QtNameFilter(FileFilter{"Txt files (*.txt)", "*.txt"}), "Txt files (*.txt) (*.txt)");

  EXPECT_EQ(DefaultSuffix("*.txt"), "txt");
  EXPECT_EQ(DefaultSuffix(".txt"), "txt");
  EXPECT_EQ(DefaultSuffix("*.*"), "");
  EXPECT_EQ(DefaultSuffix("*"), "");
  EXPECT_EQ(DefaultSuffix(""), "");
}

}  // namespace
}  // namespace quillex
