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

TEST(OpenPath, OnlyTheWholeFirstArgumentIsAnOption) {
  const char* none[] = {"quillex"};
  EXPECT_EQ(StartRequestFor(1, none), StartRequest::Open);
  const char* help[] = {"quillex", "--help"};
  EXPECT_EQ(StartRequestFor(2, help), StartRequest::Help);
  const char* shortHelp[] = {"quillex", "-h", "ignored"};
  EXPECT_EQ(StartRequestFor(3, shortHelp), StartRequest::Help);
  const char* version[] = {"quillex", "--version"};
  EXPECT_EQ(StartRequestFor(2, version), StartRequest::Version);

  // Elsewhere, or as part of a longer word, they belong to the path.
  const char* later[] = {"quillex", "my", "--help"};
  EXPECT_EQ(StartRequestFor(3, later), StartRequest::Open);
  EXPECT_EQ(JoinArguments(3, later), "my --help");
  for (const char* word : {"--helpful", "--version=1", "-help", "\"--help\"", "./--help", "-"}) {
    const char* args[] = {"quillex", word};
    EXPECT_EQ(StartRequestFor(2, args), StartRequest::Open) << word;
  }
  // A file whose name begins with a dash is reached through its folder.
  const char* dashed[] = {"quillex", "./-name"};
  EXPECT_EQ(StartRequestFor(2, dashed), StartRequest::Open);
  EXPECT_EQ(FileNameFromPathText(JoinArguments(2, dashed)), "./-name");
}

}  // namespace
}  // namespace quillex
