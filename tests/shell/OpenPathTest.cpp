// Standard library
#include <string>

#include <gtest/gtest.h>

// Quillex
#include "shell/OpenPath.h"

namespace quillex {
namespace {

TEST(OpenPath, QuoteRule) {
  // A quoted path loses both quotes.
  EXPECT_EQ(FileNameFromPathText("\"/tmp/a b.exe\""), "/tmp/a b.exe");
  // An opening quote without a closing one still drops the last character.
  EXPECT_EQ(FileNameFromPathText("\"/tmp/abc"), "/tmp/ab");
  // A lone quote leaves nothing, and nothing more is dropped.
  EXPECT_EQ(FileNameFromPathText("\""), "");
  EXPECT_EQ(FileNameFromPathText("\"a"), "");
  // Without a leading quote the text is the name, quotes inside included.
  EXPECT_EQ(FileNameFromPathText("/tmp/x\""), "/tmp/x\"");
  EXPECT_EQ(FileNameFromPathText("x"), "x");
  EXPECT_EQ(FileNameFromPathText(""), "");
}

TEST(OpenPath, LongPathsAreNotCut) {
  // Linux paths run to 4095 bytes; a name of 4000 bytes comes through whole,
  // with or without quotes.
  const std::string path = "/" + std::string(3999, 'p');
  EXPECT_EQ(FileNameFromPathText(path), path);
  EXPECT_EQ(FileNameFromPathText("\"" + path + "\""), path);
  EXPECT_EQ(FileNameFromPathText("\"" + path), path.substr(0, path.size() - 1));
}

TEST(OpenPath, ArgumentsAreJoinedIntoOnePath) {
  const char* none[] = {"quillex"};
  EXPECT_EQ(JoinArguments(1, none), "");
  const char* one[] = {"quillex", "/usr/bin/bash"};
  EXPECT_EQ(JoinArguments(2, one), "/usr/bin/bash");
  // A path with blanks that arrives split is put back together.
  const char* split[] = {"quillex", "/tmp/my", "file.bin"};
  EXPECT_EQ(JoinArguments(3, split), "/tmp/my file.bin");
  const char* quoted[] = {"quillex", "\"/tmp/q\""};
  EXPECT_EQ(FileNameFromPathText(JoinArguments(2, quoted)), "/tmp/q");
}

}  // namespace
}  // namespace quillex
