// Standard library
#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <numeric>
#include <sstream>
#include <string>
#include <vector>

// System
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

// Ours
#include "scan/SectionMap.h"
#include "store/FormatColumn.h"
#include "store/PeHeaders.h"
#include "store/ResultStore.h"
#include "views/ExportWriter.h"

namespace quillex {
namespace {

const std::string kHeader(kHeaderBlock, sizeof(kHeaderBlock) - 1);

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

void WriteFile(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

std::vector<std::uint32_t> Rows(std::uint32_t count) {
  std::vector<std::uint32_t> rows(count);
  std::iota(rows.begin(), rows.end(), 0u);
  return rows;
}

// A directory of its own under the test temp dir, emptied on the way out.
class ExportWriterTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = ::testing::TempDir() + "quillex-export-XXXXXX";
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    dir_ = pattern;
  }
  void TearDown() override {
    std::string command = "rm -rf '" + dir_ + "'";
    ASSERT_EQ(std::system(command.c_str()), 0);
  }
  [[nodiscard]] std::string Path(const std::string& name) const { return dir_ + "/" + name; }
  // Files in the directory, so a leftover temporary shows up.
  [[nodiscard]] int FileCount() const {
    std::string command = "ls -A '" + dir_ + "' | wc -l";
    FILE* pipe = ::popen(command.c_str(), "r");
    int count = -1;
    if (pipe != nullptr) {
      if (std::fscanf(pipe, "%d", &count) != 1) {
        count = -1;
      }
      ::pclose(pipe);
    }
    return count;
  }

  std::string dir_;
};

void AddRows(ResultStore& store, std::uint32_t count) {
  for (std::uint32_t i = 0; i < count; ++i) {
    const std::string text = "row" + std::to_string(i);
    ASSERT_TRUE(
        store.AddResult(i * 16, 0, static_cast<std::uint16_t>(i), text.c_str(), StringKind::Ansi));
  }
}

std::string ExpectedRow(std::uint32_t i) {
  char line[128];
  std::snprintf(line, sizeof line, "%012X   %012X  %5u   row%u\r\n", i * 16, i * 16, i, i);
  return line;
}

TEST_F(ExportWriterTest, AdvancedLayoutHasAHeaderEverySixtyRows) {
  ResultStore store;
  SectionMap map;
  AddRows(store, 121);

  auto expected = [](std::uint32_t rows) {
    std::string out;
    for (std::uint32_t i = 0; i < rows; ++i) {
      if (i % 60 == 0) {
        out += kHeader;
      }
      out += ExpectedRow(i);
    }
    return out;
  };
  for (std::uint32_t rows : {0u, 1u, 60u, 61u, 120u, 121u}) {
    const std::string path = Path("saved.txt");
    ASSERT_EQ(SaveResults(path, Rows(rows), SaveLayout::Advanced, store, map), SaveResult::Ok);
    EXPECT_EQ(ReadFile(path), expected(rows)) << rows << " rows";
  }
  EXPECT_EQ(kHeader.size(), 90u);
  EXPECT_EQ(FileCount(), 1) << "no temporary file is left behind";
}

TEST_F(ExportWriterTest, RowLineBytes) {
  ResultStore store;
  ASSERT_TRUE(store.AddResult(0x400, 0, 0, "abc", StringKind::Ansi));
  ASSERT_TRUE(store.AddResult(0x400, 0, 65535, "id", StringKind::Resource));
  ASSERT_TRUE(store.AddResult(0x400, 0, 7, "seven", StringKind::Resource));
  const std::string longText(1024, 'L');
  ASSERT_TRUE(store.AddResult(0x10, 0, 0, longText.c_str(), StringKind::Unicode));
  SectionMap map;
  map.ReadFromBytes(testing::MakePeHeaders(0x10000, {}));

  std::string line;
  EXPECT_EQ(AppendAdvancedRowLine(line, store, map, 0), 42u);
  EXPECT_EQ(line, "000000000400   000000010400      0   abc\r\n");
  line.clear();
  AppendAdvancedRowLine(line, store, map, 1);
  EXPECT_EQ(line, "000000000400   000000010400  65535   id\r\n");
  line.clear();
  AppendAdvancedRowLine(line, store, map, 2);
  EXPECT_EQ(line, "000000000400   000000010400      7   seven\r\n");

  line = "kept";
  EXPECT_EQ(AppendPlainRowLine(line, store, 0), 4u);
  EXPECT_EQ(line, "keptabc\n") << "appends, and ends with LF alone";

  // Long texts are written whole, in both layouts.
  const std::string path = Path("long.txt");
  ASSERT_EQ(SaveResults(path, std::vector<std::uint32_t>{3}, SaveLayout::Advanced, store, map),
            SaveResult::Ok);
  EXPECT_EQ(ReadFile(path), kHeader + "000000000010   000000010010      0   " + longText + "\r\n");
  ASSERT_EQ(SaveResults(path, std::vector<std::uint32_t>{3, 0}, SaveLayout::Plain, store, map),
            SaveResult::Ok);
  EXPECT_EQ(ReadFile(path), longText + "\nabc\n");

  // A row past the end is an empty text at position 0, as the list shows it.
  ASSERT_EQ(SaveResults(path, std::vector<std::uint32_t>{0, 99}, SaveLayout::Plain, store, map),
            SaveResult::Ok);
  EXPECT_EQ(ReadFile(path), "abc\n\n");
  line.clear();
  AppendAdvancedRowLine(line, store, map, 99);
  EXPECT_EQ(line, "000000000000   000000010000      0   \r\n");

  // Copy: the rows' lines in the given order, no header.
  EXPECT_EQ(BuildCopyText(std::vector<std::uint32_t>{2, 0}, store, map),
            "000000000400   000000010400      7   seven\r\n"
            "000000000400   000000010400      0   abc\r\n");
  EXPECT_EQ(BuildCopyText({}, store, map), "");
}

// The row writer formats positions and IDs itself; its lines must be exactly
// "%s   %s  %5s   %s\r\n" over the formatter's cells, for every hex digit in
// every place, positions past 48 bits, memory positions inside and outside
// sections, IDs of every width and texts of many lengths.
TEST_F(ExportWriterTest, RowLinesAreTheFormattersCells) {
  ResultStore store;
  SectionMap map;
  map.ReadFromBytes(testing::MakePeHeaders(0x10000, {}));
  std::vector<std::uint32_t> rows;
  std::uint64_t position = 0x0123456789ABCDEFull;
  for (std::uint32_t i = 0; i < 400; ++i) {
    position = position * 6364136223846793005ull + 1442695040888963407ull;
    const std::uint64_t shown = i < 16 ? 0x111111111111ull * i : position >> (i % 40);
    const auto id = static_cast<std::uint16_t>(i < 200 ? (i * 331u) % 65536u : 65535u >> (i % 17));
    const std::string text(i % 70, static_cast<char>('a' + i % 26));
    ASSERT_TRUE(store.AddResult(static_cast<std::uint32_t>(shown),
                                static_cast<std::uint32_t>(shown >> 32), id, text.c_str(),
                                StringKind::Resource));
    rows.push_back(i);
  }
  std::string expected;
  std::string lines;
  for (std::uint32_t i = 0; i < store.Count(); ++i) {
    char cells[3][kFormatBufferSize];
    FormatColumn(store, map, cells[0], nullptr, i, ResultColumn::FilePos);
    FormatColumn(store, map, cells[1], nullptr, i, ResultColumn::MemPos);
    FormatColumn(store, map, cells[2], nullptr, i, ResultColumn::Id);
    char buffer[80];
    std::snprintf(buffer, sizeof buffer, "%s   %s  %5s   ", cells[0], cells[1], cells[2]);
    expected += std::string(buffer) + store.Text(i) + "\r\n";
    AppendAdvancedRowLine(lines, store, map, i);
  }
  EXPECT_EQ(lines, expected);
  EXPECT_EQ(BuildCopyText(rows, store, map), expected);
}

TEST_F(ExportWriterTest, RowOrderAndLayoutsOverManyChunks) {
  // Enough rows for several 64 KiB chunks, written in reverse order.
  ResultStore store;
  SectionMap map;
  AddRows(store, 5000);
  std::vector<std::uint32_t> order = Rows(5000);
  std::reverse(order.begin(), order.end());

  std::string advanced;
  std::string plain;
  for (std::size_t r = 0; r < order.size(); ++r) {
    if (r % 60 == 0) {
      advanced += kHeader;
    }
    advanced += ExpectedRow(order[r]);
    plain += "row" + std::to_string(order[r]) + "\n";
  }
  const std::string path = Path("many.txt");
  ASSERT_EQ(SaveResults(path, order, SaveLayout::Advanced, store, map), SaveResult::Ok);
  EXPECT_EQ(ReadFile(path), advanced);
  ASSERT_EQ(SaveResults(path, order, SaveLayout::Plain, store, map), SaveResult::Ok);
  EXPECT_EQ(ReadFile(path), plain);

  // WriteResults writes the same bytes to an open descriptor.
  const int fd = ::open(Path("fd.txt").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  ASSERT_GE(fd, 0);
  EXPECT_TRUE(WriteResults(fd, order, SaveLayout::Advanced, store, map));
  ::close(fd);
  EXPECT_EQ(ReadFile(Path("fd.txt")), advanced);
}

TEST_F(ExportWriterTest, ReplacingAFileKeepsItsMode) {
  ResultStore store;
  SectionMap map;
  AddRows(store, 2);
  const std::string path = Path("existing.txt");
  WriteFile(path, std::string(10000, 'o'));
  ASSERT_EQ(::chmod(path.c_str(), 0640), 0);
  ASSERT_EQ(SaveResults(path, Rows(2), SaveLayout::Plain, store, map), SaveResult::Ok);
  EXPECT_EQ(ReadFile(path), "row0\nrow1\n") << "replaced entirely";
  struct stat info {};
  ASSERT_EQ(::stat(path.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 07777, 0640u);

  // A new file gets 0666 less the umask.
  const mode_t mask = ::umask(022);
  ASSERT_EQ(SaveResults(Path("new.txt"), Rows(0), SaveLayout::Advanced, store, map),
            SaveResult::Ok);
  ::umask(mask);
  ASSERT_EQ(::stat(Path("new.txt").c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 07777, 0644u);
  EXPECT_EQ(info.st_size, 0) << "no rows, no header";

  // Through a link the link stays and its target is replaced.
  ASSERT_EQ(::symlink(path.c_str(), Path("link.txt").c_str()), 0);
  ASSERT_EQ(SaveResults(Path("link.txt"), Rows(1), SaveLayout::Plain, store, map), SaveResult::Ok);
  ASSERT_EQ(::lstat(Path("link.txt").c_str(), &info), 0);
  EXPECT_TRUE(S_ISLNK(info.st_mode));
  EXPECT_EQ(ReadFile(path), "row0\n");
  EXPECT_EQ(FileCount(), 3);
}

TEST_F(ExportWriterTest, FailuresKeepTheOldFile) {
  ResultStore store;
  SectionMap map;
  AddRows(store, 3000);
  const std::string path = Path("precious.txt");
  WriteFile(path, "old contents\n");

  // The second chunk's write fails: the old file stays, the temporary goes.
  static int writesLeft;
  writesLeft = 1;
  const ExportWriteFunction previous =
      InstallExportWriteFunction([](int fd, const void* data, std::size_t size) -> std::ptrdiff_t {
        if (writesLeft-- <= 0) {
          errno = ENOSPC;
          return -1;
        }
        return ::write(fd, data, size);
      });
  int error = 0;
  const SaveResult failed = SaveResults(path, Rows(3000), SaveLayout::Advanced, store, map, &error);
  InstallExportWriteFunction(previous);
  EXPECT_EQ(failed, SaveResult::WriteFailed);
  EXPECT_EQ(error, ENOSPC);
  EXPECT_EQ(ReadFile(path), "old contents\n");
  EXPECT_EQ(FileCount(), 1);

  // A short write is retried, not lost.
  InstallExportWriteFunction([](int fd, const void* data, std::size_t size) -> std::ptrdiff_t {
    return ::write(fd, data, size > 7 ? 7 : size);
  });
  const SaveResult trickled = SaveResults(path, Rows(3), SaveLayout::Plain, store, map);
  InstallExportWriteFunction(nullptr);
  EXPECT_EQ(trickled, SaveResult::Ok);
  EXPECT_EQ(ReadFile(path), "row0\nrow1\nrow2\n");

  // Paths that cannot be created.
  EXPECT_EQ(
      SaveResults(Path("missing/dir/out.txt"), Rows(1), SaveLayout::Plain, store, map, &error),
      SaveResult::OpenFailed);
  EXPECT_EQ(error, ENOENT);
  EXPECT_EQ(SaveResults(dir_, Rows(1), SaveLayout::Plain, store, map, &error),
            SaveResult::OpenFailed);
  EXPECT_EQ(error, EISDIR);

  // Devices are written in place, never replaced by a renamed file.
  EXPECT_EQ(SaveResults("/dev/null", Rows(3), SaveLayout::Plain, store, map), SaveResult::Ok);
  struct stat info {};
  ASSERT_EQ(::stat("/dev/null", &info), 0);
  EXPECT_TRUE(S_ISCHR(info.st_mode));
  if (::access("/dev/full", W_OK) == 0) {
    EXPECT_EQ(SaveResults("/dev/full", Rows(3), SaveLayout::Plain, store, map, &error),
              SaveResult::WriteFailed);
    EXPECT_EQ(error, ENOSPC);
    ASSERT_EQ(::stat("/dev/full", &info), 0);
    EXPECT_TRUE(S_ISCHR(info.st_mode));
  }

  // A full device fails the stream write.
  const int full = ::open("/dev/full", O_WRONLY);
  if (full >= 0) {
    EXPECT_FALSE(WriteResults(full, Rows(3), SaveLayout::Plain, store, map, &error));
    EXPECT_EQ(error, ENOSPC);
    ::close(full);
  }
  EXPECT_EQ(FileCount(), 1);
}

}  // namespace
}  // namespace quillex
