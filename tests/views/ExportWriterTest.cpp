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
#include "platform/InputFile.h"
#include "platform/OutputStream.h"
#include "scan/SectionMap.h"
#include "store/PeHeaders.h"
#include "store/ResultStore.h"
#include "views/ExportWriter.h"
#include "views/FormatColumn.h"

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
    // Read-only directories are made writable again so they can go.
    std::string command = "chmod -R u+rwx '" + dir_ + "' && rm -rf '" + dir_ + "'";
    ASSERT_EQ(std::system(command.c_str()), 0);
  }
  [[nodiscard]] std::string Path(const std::string& name) const { return dir_ + "/" + name; }
  // Files in the directory, so a leftover temporary shows up.
  [[nodiscard]] int FileCount(const std::string& dir = {}) const {
    std::string command = "ls -A '" + (dir.empty() ? dir_ : dir) + "' | wc -l";
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

bool IsLink(const std::string& path) {
  struct stat info {};
  return ::lstat(path.c_str(), &info) == 0 && S_ISLNK(info.st_mode);
}

ino_t Inode(const std::string& path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0 ? info.st_ino : 0;
}

// A write function that fails the first call: nothing is ever written.
std::ptrdiff_t FailAtOnce(int, const void*, std::size_t) {
  errno = EIO;
  return -1;
}

constexpr uid_t kNobody = 65534;

// Root may create files in any directory and replace any file in a sticky
// one, so those conditions only show to an ordinary user. Under root this
// gives `path` to nobody (chown -R); otherwise it does nothing.
bool GiveToNobody(const std::string& path) {
  if (::geteuid() != 0) {
    return true;
  }
  const std::string command =
      "chown -R " + std::to_string(kNobody) + ":" + std::to_string(kNobody) + " '" + path + "'";
  return std::system(command.c_str()) == 0;
}

// Runs the rest of a scope as nobody when the test runs as root.
class Unprivileged {
 public:
  Unprivileged() {
    if (::geteuid() != 0) {
      ok_ = true;
      return;
    }
    if (::setegid(kNobody) != 0) {
      return;
    }
    if (::seteuid(kNobody) != 0) {
      static_cast<void>(::setegid(0));
      return;
    }
    dropped_ = true;
    ok_ = true;
  }
  ~Unprivileged() { Restore(); }
  Unprivileged(const Unprivileged&) = delete;
  Unprivileged& operator=(const Unprivileged&) = delete;

  [[nodiscard]] bool Ok() const { return ok_; }
  [[nodiscard]] bool WasRoot() const { return dropped_; }
  void Restore() {
    if (dropped_ && ::seteuid(0) == 0 && ::setegid(0) == 0) {
      dropped_ = false;
    }
  }

 private:
  bool ok_ = false;
  bool dropped_ = false;
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
  OutputStream stream(fd);
  EXPECT_TRUE(WriteResults(stream, order, SaveLayout::Advanced, store, map));
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

// A link is followed to the file it names, whether that exists yet or not;
// the link stays.
TEST_F(ExportWriterTest, LinksAreFollowedEvenToMissingFiles) {
  ResultStore store;
  SectionMap map;
  AddRows(store, 2);
  ASSERT_EQ(::mkdir(Path("sub").c_str(), 0755), 0);

  ASSERT_EQ(::symlink(Path("sub/made.txt").c_str(), Path("dangling").c_str()), 0);
  ASSERT_EQ(SaveResults(Path("dangling"), Rows(2), SaveLayout::Plain, store, map), SaveResult::Ok);
  EXPECT_TRUE(IsLink(Path("dangling")));
  EXPECT_EQ(ReadFile(Path("sub/made.txt")), "row0\nrow1\n");
  EXPECT_EQ(FileCount(Path("sub")), 1);

  // Relative links count from their own directory, through a chain.
  ASSERT_EQ(::symlink("sub/second", Path("first").c_str()), 0);
  ASSERT_EQ(::symlink("final.txt", Path("sub/second").c_str()), 0);
  ASSERT_EQ(SaveResults(Path("first"), Rows(1), SaveLayout::Plain, store, map), SaveResult::Ok);
  EXPECT_TRUE(IsLink(Path("first")));
  EXPECT_TRUE(IsLink(Path("sub/second")));
  EXPECT_EQ(ReadFile(Path("sub/final.txt")), "row0\n");
  // Saved again, the file is replaced and the links still stand.
  ASSERT_EQ(SaveResults(Path("first"), Rows(2), SaveLayout::Plain, store, map), SaveResult::Ok);
  EXPECT_EQ(ReadFile(Path("sub/final.txt")), "row0\nrow1\n");
  EXPECT_TRUE(IsLink(Path("first")));

  // A link into a directory that does not exist, and a loop: nothing to open.
  int error = 0;
  ASSERT_EQ(::symlink(Path("none/x.txt").c_str(), Path("nowhere").c_str()), 0);
  EXPECT_EQ(SaveResults(Path("nowhere"), Rows(1), SaveLayout::Plain, store, map, &error),
            SaveResult::OpenFailed);
  EXPECT_EQ(error, ENOENT);
  EXPECT_TRUE(IsLink(Path("nowhere")));
  ASSERT_EQ(::symlink("loop-b", Path("loop-a").c_str()), 0);
  ASSERT_EQ(::symlink("loop-a", Path("loop-b").c_str()), 0);
  EXPECT_EQ(SaveResults(Path("loop-a"), Rows(1), SaveLayout::Plain, store, map, &error),
            SaveResult::OpenFailed);
  EXPECT_EQ(error, ELOOP);
  EXPECT_TRUE(IsLink(Path("loop-a")));
  EXPECT_EQ(FileCount(), 6) << "no temporary file is left behind";
}

// A path the system accepts but with no room for the temporary name beside
// it: the file is written in place, as a plain overwrite does.
TEST_F(ExportWriterTest, APathTooLongForTheTemporaryNameIsWrittenInPlace) {
  ResultStore store;
  SectionMap map;
  AddRows(store, 3);
  // Directories of 200 characters down to a file path of 4,088 bytes.
  constexpr std::size_t kPathLength = 4088;
  const std::string name = "out.txt";
  std::string dir = dir_;
  while (dir.size() + 1 + name.size() < kPathLength) {
    const std::size_t room = kPathLength - dir.size() - 1 - name.size() - 1;
    dir += "/" + std::string(std::min<std::size_t>(200, room == 0 ? 1 : room), 'd');
    ASSERT_EQ(::mkdir(dir.c_str(), 0755), 0) << dir.size();
  }
  const std::string path = dir + "/" + name;
  ASSERT_EQ(path.size(), kPathLength);

  int error = 0;
  ASSERT_EQ(SaveResults(path, Rows(3), SaveLayout::Plain, store, map, &error), SaveResult::Ok)
      << ErrorText(error);
  EXPECT_EQ(ReadFile(path), "row0\nrow1\nrow2\n");
  EXPECT_EQ(FileCount(dir), 1);

  // Over an older, longer file: its tail is cut off, its mode and its inode
  // are kept.
  WriteFile(path, std::string(5000, 'o'));
  ASSERT_EQ(::chmod(path.c_str(), 0640), 0);
  const ino_t inode = Inode(path);
  ASSERT_EQ(SaveResults(path, Rows(1), SaveLayout::Plain, store, map), SaveResult::Ok);
  EXPECT_EQ(ReadFile(path), "row0\n");
  EXPECT_EQ(Inode(path), inode);
  struct stat info {};
  ASSERT_EQ(::stat(path.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 07777, 0640u);

  // A first write that fails leaves the old file as it was, and a file that
  // was not there before is not left behind.
  WriteFile(path, "old contents\n");
  const WriteFunction previous = InstallWriteFunction(&FailAtOnce);
  EXPECT_EQ(SaveResults(path, Rows(3), SaveLayout::Plain, store, map, &error),
            SaveResult::WriteFailed);
  EXPECT_EQ(error, EIO);
  EXPECT_EQ(ReadFile(path), "old contents\n");
  ASSERT_EQ(::unlink(path.c_str()), 0);
  EXPECT_EQ(SaveResults(path, Rows(3), SaveLayout::Plain, store, map), SaveResult::WriteFailed);
  InstallWriteFunction(previous);
  EXPECT_EQ(FileCount(dir), 0);
}

// A directory that takes no new files: an existing file in it is written in
// place; a link in it, or one to a file in it, is followed. As root the test
// acts as nobody, since root may create files anywhere.
TEST_F(ExportWriterTest, AReadOnlyDirectoryIsWrittenInPlace) {
  ResultStore store;
  SectionMap map;
  AddRows(store, 2);
  const std::string locked = Path("locked");
  const std::string open = Path("open");
  ASSERT_EQ(::mkdir(locked.c_str(), 0755), 0);
  ASSERT_EQ(::mkdir(open.c_str(), 0755), 0);
  WriteFile(locked + "/keep.txt", std::string(300, 'k'));
  ASSERT_EQ(::symlink((open + "/linked.txt").c_str(), (locked + "/link").c_str()), 0);
  ASSERT_EQ(::symlink((locked + "/keep.txt").c_str(), (open + "/to-locked").c_str()), 0);
  ASSERT_TRUE(GiveToNobody(dir_));
  ASSERT_EQ(::chmod(locked.c_str(), 0555), 0);
  Unprivileged user;
  if (!user.Ok()) {
    GTEST_SKIP() << "cannot act as an ordinary user";
  }
  const int probe = ::open((locked + "/probe").c_str(), O_WRONLY | O_CREAT | O_EXCL, 0644);
  ASSERT_LT(probe, 0) << "the directory must refuse new files";

  const ino_t inode = Inode(locked + "/keep.txt");
  int error = 0;
  ASSERT_EQ(SaveResults(locked + "/keep.txt", Rows(2), SaveLayout::Plain, store, map, &error),
            SaveResult::Ok)
      << ErrorText(error);
  EXPECT_EQ(ReadFile(locked + "/keep.txt"), "row0\nrow1\n");
  EXPECT_EQ(Inode(locked + "/keep.txt"), inode);

  // Through a link to it from elsewhere.
  ASSERT_EQ(SaveResults(open + "/to-locked", Rows(1), SaveLayout::Plain, store, map),
            SaveResult::Ok);
  EXPECT_EQ(ReadFile(locked + "/keep.txt"), "row0\n");
  EXPECT_TRUE(IsLink(open + "/to-locked"));

  // A link in the locked directory to a file that does not exist yet in a
  // writable one.
  ASSERT_EQ(SaveResults(locked + "/link", Rows(2), SaveLayout::Plain, store, map), SaveResult::Ok);
  EXPECT_TRUE(IsLink(locked + "/link"));
  EXPECT_EQ(ReadFile(open + "/linked.txt"), "row0\nrow1\n");

  // A new file cannot be made there at all; a failed first write keeps the
  // old bytes.
  EXPECT_EQ(SaveResults(locked + "/new.txt", Rows(1), SaveLayout::Plain, store, map, &error),
            SaveResult::OpenFailed);
  EXPECT_EQ(error, EACCES);
  const WriteFunction previous = InstallWriteFunction(&FailAtOnce);
  EXPECT_EQ(SaveResults(locked + "/keep.txt", Rows(2), SaveLayout::Plain, store, map),
            SaveResult::WriteFailed);
  InstallWriteFunction(previous);
  EXPECT_EQ(ReadFile(locked + "/keep.txt"), "row0\n");
  EXPECT_EQ(FileCount(locked), 2);
  EXPECT_EQ(FileCount(open), 2);
}

// In a sticky directory only a file's owner may replace it, though others
// may be allowed to write it: such a file is written in place.
TEST_F(ExportWriterTest, AFileOnlyItsOwnerMayReplaceIsWrittenInPlace) {
  if (::geteuid() != 0) {
    GTEST_SKIP() << "needs a file of another user, which only root can make";
  }
  ResultStore store;
  SectionMap map;
  AddRows(store, 2);
  const std::string sticky = Path("sticky");
  ASSERT_TRUE(GiveToNobody(dir_));
  ASSERT_EQ(::mkdir(sticky.c_str(), 0755), 0);
  ASSERT_EQ(::chmod(sticky.c_str(), 01777), 0);
  const std::string shared = sticky + "/shared.txt";
  WriteFile(shared, "root's old text\n");
  ASSERT_EQ(::chmod(shared.c_str(), 0666), 0);
  Unprivileged user;
  ASSERT_TRUE(user.Ok());
  int error = 0;
  ASSERT_EQ(SaveResults(shared, Rows(2), SaveLayout::Plain, store, map, &error), SaveResult::Ok)
      << ErrorText(error);
  user.Restore();
  EXPECT_EQ(ReadFile(shared), "row0\nrow1\n");
  struct stat info {};
  ASSERT_EQ(::stat(shared.c_str(), &info), 0);
  EXPECT_EQ(info.st_uid, 0u) << "still root's file";
  EXPECT_EQ(FileCount(sticky), 1);
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
  const WriteFunction previous =
      InstallWriteFunction([](int fd, const void* data, std::size_t size) -> std::ptrdiff_t {
        if (writesLeft-- <= 0) {
          errno = ENOSPC;
          return -1;
        }
        return ::write(fd, data, size);
      });
  int error = 0;
  const SaveResult failed = SaveResults(path, Rows(3000), SaveLayout::Advanced, store, map, &error);
  InstallWriteFunction(previous);
  EXPECT_EQ(failed, SaveResult::WriteFailed);
  EXPECT_EQ(error, ENOSPC);
  EXPECT_EQ(ReadFile(path), "old contents\n");
  EXPECT_EQ(FileCount(), 1);

  // A short write is retried, not lost.
  InstallWriteFunction([](int fd, const void* data, std::size_t size) -> std::ptrdiff_t {
    return ::write(fd, data, size > 7 ? 7 : size);
  });
  const SaveResult trickled = SaveResults(path, Rows(3), SaveLayout::Plain, store, map);
  InstallWriteFunction(nullptr);
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
    OutputStream stream(full);
    EXPECT_FALSE(WriteResults(stream, Rows(3), SaveLayout::Plain, store, map, &error));
    EXPECT_EQ(error, ENOSPC);
    ::close(full);
  }
  EXPECT_EQ(FileCount(), 1);
}

}  // namespace
}  // namespace quillex
