// Standard library
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <set>
#include <string>

// POSIX
#include <fcntl.h>
#include <unistd.h>

#include <gtest/gtest.h>

// Ours
#include "platform/OutputStream.h"
#include "support/FileBytes.h"
#include "views/AdvancedWriter.h"
#include "views/CsvWriter.h"
#include "views/JsonLinesWriter.h"
#include "views/OutputFormats.h"
#include "views/PlainWriter.h"
#include "views/RecordFixture.h"
#include "views/SaveResults.h"
#include "views/WrittenText.h"

namespace quillex {
namespace {

using testing::ReadFile;

using testing::RecordFixture;
using testing::Written;

TEST(OutputFormats, OneTableOfNamedFormats) {
  std::set<std::string_view> names;
  for (const OutputFormat& format : OutputFormats()) {
    EXPECT_TRUE(names.insert(format.name).second) << format.name << " twice";
    EXPECT_EQ(FindOutputFormat(format.name), &format);
    EXPECT_FALSE(format.help.empty()) << format.name;
    EXPECT_LE(format.help.size(), 56u) << format.name << ": the help line must fit --help";
    EXPECT_EQ(format.help.find('\n'), std::string_view::npos) << format.name;
    // What a save dialog lists it as, and the extension of its files.
    EXPECT_TRUE(format.fileType.ends_with(" files")) << format.name;
    EXPECT_FALSE(format.extension.empty()) << format.name;
    EXPECT_EQ(format.extension.find('.'), std::string_view::npos) << format.name;
  }
  EXPECT_EQ(FindOutputFormat("csv")->extension, "csv");
  EXPECT_EQ(FindOutputFormat("jsonl")->extension, "jsonl");
  EXPECT_EQ(FindOutputFormat(kAdvancedLayoutName)->extension, "txt");
  EXPECT_EQ(FindOutputFormat(kPlainLayoutName)->extension, "txt");
  EXPECT_EQ(names, (std::set<std::string_view>{"text", "plain", "jsonl", "csv"}));
  EXPECT_EQ(OutputFormats().front().name, "text") << "the default";
  EXPECT_EQ(FindOutputFormat("xml"), nullptr);
  EXPECT_EQ(FindOutputFormat(""), nullptr);
  EXPECT_EQ(FindOutputFormat("TEXT"), nullptr);
  ASSERT_NE(FindOutputFormat(kAdvancedLayoutName), nullptr);
  ASSERT_NE(FindOutputFormat(kPlainLayoutName), nullptr);
}

// Each name makes the writer of its format, with the options it is given.
TEST(OutputFormats, NamesMakeTheirWriters) {
  RecordFixture f;
  const WriterSource one = f.Source("one.exe");
  const WriterSource two = f.Source("two.dll");
  const WriterOptions headed{.fileHeadings = true};
  auto made = [&](std::string_view name, const WriterOptions& options) {
    const std::unique_ptr<ResultWriter> writer = FindOutputFormat(name)->make(options);
    return Written(*writer, one, two);
  };
  AdvancedWriter advanced(headed);
  PlainWriter plain(headed);
  JsonLinesWriter json;
  CsvWriter csv;
  EXPECT_EQ(made("text", headed), Written(advanced, one, two));
  EXPECT_EQ(made("plain", headed), Written(plain, one, two));
  EXPECT_EQ(made("jsonl", headed), Written(json, one, two));
  EXPECT_EQ(made("csv", headed), Written(csv, one, two));
  EXPECT_EQ(made("text", {}).find("==>"), std::string::npos) << "headings only when asked";
  EXPECT_NE(made("text", headed).find("==> two.dll <==\r\n"), std::string::npos);
}

// WriteResults and SaveResults write exactly what the writer writes, and
// report a failed write.
TEST(OutputFormats, WrittenToStreamsAndFiles) {
  RecordFixture f;
  const std::string path = ::testing::TempDir() + "quillex-formats-out";
  for (const OutputFormat& format : OutputFormats()) {
    const std::unique_ptr<ResultWriter> writer = format.make({});
    const std::string expected = Written(*writer, f.Source("in.bin"));

    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    ASSERT_GE(fd, 0);
    OutputStream stream(fd);
    EXPECT_EQ(WriteResults(stream, format, f.Source("in.bin")), 0) << format.name;
    ::close(fd);
    EXPECT_EQ(ReadFile(path), expected) << format.name;

    ASSERT_EQ(SaveResults(path, format, f.Source("in.bin")), SaveResult::Ok) << format.name;
    EXPECT_EQ(ReadFile(path), expected) << format.name;
  }
  std::remove(path.c_str());

  if (::access("/dev/full", W_OK) == 0) {
    const int full = ::open("/dev/full", O_WRONLY | O_CLOEXEC);
    ASSERT_GE(full, 0);
    OutputStream stream(full);
    EXPECT_EQ(WriteResults(stream, *FindOutputFormat("jsonl"), f.Source("in.bin")), ENOSPC);
    ::close(full);
  }
}

// A cancelled save is a failed one, with ECANCELED, that leaves the old
// file as it was and nothing beside it; a flag that stays down changes
// nothing.
TEST(OutputFormats, CancelledSavesKeepTheOldFile) {
  RecordFixture f;
  const std::string dir = ::testing::TempDir() + "quillex-cancelled-save";
  std::filesystem::create_directories(dir);
  const std::string path = dir + "/out.txt";
  { std::ofstream(path) << "old contents"; }
  const OutputFormat& text = *FindOutputFormat(kAdvancedLayoutName);
  CancelFlag raised{true};
  CancelFlag down{false};
  int error = 0;
  EXPECT_EQ(SaveResults(path, text, f.Source("in.bin"), &error, &raised), SaveResult::WriteFailed);
  EXPECT_EQ(error, ECANCELED);
  EXPECT_EQ(ReadFile(path), "old contents");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir),
                          std::filesystem::directory_iterator()),
            1);
  ASSERT_EQ(SaveResults(path, text, f.Source("in.bin"), &error, &down), SaveResult::Ok);
  EXPECT_EQ(ReadFile(path), Written(*text.make({}), f.Source("in.bin")));
  std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace quillex
