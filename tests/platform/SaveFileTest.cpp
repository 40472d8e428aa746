// Standard library
#include <algorithm>
#include <cerrno>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <string>

// POSIX
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

// Ours
#include "platform/InputFile.h"
#include "platform/OutputStream.h"
#include "platform/SaveFile.h"
#include "support/FileBytes.h"

namespace quillex {
namespace {

using testing::ReadFile;
using testing::WriteFile;

// The content of a saved list of `count` rows, "row0\n" to "row<count-1>\n",
// each row one write of the stream, so that a write that fails on cue fails
// part of the way through.
ContentWriter Rows(int count) {
  return [count](OutputStream& stream) {
    for (int i = 0; i < count; ++i) {
      const std::string row = "row" + std::to_string(i) + "\n";
      if (const int error = stream.Write(row.data(), row.size()); error != 0) {
        return error;
      }
    }
    return 0;
  };
}

// A directory of its own under the test temp dir, emptied on the way out.
class SaveFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = ::testing::TempDir() + "quillex-save-XXXXXX";
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

TEST_F(SaveFileTest, ReplacingAFileKeepsItsMode) {
  const std::string path = Path("existing.txt");
  WriteFile(path, std::string(10000, 'o'));
  ASSERT_EQ(::chmod(path.c_str(), 0640), 0);
  ASSERT_EQ(SaveFile(path, Rows(2)), SaveResult::Ok);
  EXPECT_EQ(ReadFile(path), "row0\nrow1\n") << "replaced entirely";
  struct stat info {};
  ASSERT_EQ(::stat(path.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 07777, 0640u);

  // A new file gets 0666 less the umask.
  const mode_t mask = ::umask(022);
  ASSERT_EQ(SaveFile(Path("new.txt"), Rows(0)), SaveResult::Ok);
  ::umask(mask);
  ASSERT_EQ(::stat(Path("new.txt").c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 07777, 0644u);
  EXPECT_EQ(info.st_size, 0) << "nothing written, an empty file";

  // Through a link the link stays and its target is replaced.
  ASSERT_EQ(::symlink(path.c_str(), Path("link.txt").c_str()), 0);
  ASSERT_EQ(SaveFile(Path("link.txt"), Rows(1)), SaveResult::Ok);
  ASSERT_EQ(::lstat(Path("link.txt").c_str(), &info), 0);
  EXPECT_TRUE(S_ISLNK(info.st_mode));
  EXPECT_EQ(ReadFile(path), "row0\n");
  EXPECT_EQ(FileCount(), 3);
}

// A link is followed to the file it names, whether that exists yet or not;
// the link stays.
TEST_F(SaveFileTest, LinksAreFollowedEvenToMissingFiles) {
  ASSERT_EQ(::mkdir(Path("sub").c_str(), 0755), 0);

  ASSERT_EQ(::symlink(Path("sub/made.txt").c_str(), Path("dangling").c_str()), 0);
  ASSERT_EQ(SaveFile(Path("dangling"), Rows(2)), SaveResult::Ok);
  EXPECT_TRUE(IsLink(Path("dangling")));
  EXPECT_EQ(ReadFile(Path("sub/made.txt")), "row0\nrow1\n");
  EXPECT_EQ(FileCount(Path("sub")), 1);

  // Relative links count from their own directory, through a chain.
  ASSERT_EQ(::symlink("sub/second", Path("first").c_str()), 0);
  ASSERT_EQ(::symlink("final.txt", Path("sub/second").c_str()), 0);
  ASSERT_EQ(SaveFile(Path("first"), Rows(1)), SaveResult::Ok);
  EXPECT_TRUE(IsLink(Path("first")));
  EXPECT_TRUE(IsLink(Path("sub/second")));
  EXPECT_EQ(ReadFile(Path("sub/final.txt")), "row0\n");
  // Saved again, the file is replaced and the links still stand.
  ASSERT_EQ(SaveFile(Path("first"), Rows(2)), SaveResult::Ok);
  EXPECT_EQ(ReadFile(Path("sub/final.txt")), "row0\nrow1\n");
  EXPECT_TRUE(IsLink(Path("first")));

  // A link into a directory that does not exist, and a loop: nothing to open.
  int error = 0;
  ASSERT_EQ(::symlink(Path("none/x.txt").c_str(), Path("nowhere").c_str()), 0);
  EXPECT_EQ(SaveFile(Path("nowhere"), Rows(1), &error), SaveResult::OpenFailed);
  EXPECT_EQ(error, ENOENT);
  EXPECT_TRUE(IsLink(Path("nowhere")));
  ASSERT_EQ(::symlink("loop-b", Path("loop-a").c_str()), 0);
  ASSERT_EQ(::symlink("loop-a", Path("loop-b").c_str()), 0);
  EXPECT_EQ(SaveFile(Path("loop-a"), Rows(1), &error), SaveResult::OpenFailed);
  EXPECT_EQ(error, ELOOP);
  EXPECT_TRUE(IsLink(Path("loop-a")));
  EXPECT_EQ(FileCount(), 6) << "no temporary file is left behind";
}

// A path the system accepts but with no room for the temporary name beside
// it: the file is written in place, as a plain overwrite does.
TEST_F(SaveFileTest, APathTooLongForTheTemporaryNameIsWrittenInPlace) {
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
  ASSERT_EQ(SaveFile(path, Rows(3), &error), SaveResult::Ok) << ErrorText(error);
  EXPECT_EQ(ReadFile(path), "row0\nrow1\nrow2\n");
  EXPECT_EQ(FileCount(dir), 1);

  // Over an older, longer file: its tail is cut off, its mode and its inode
  // are kept.
  WriteFile(path, std::string(5000, 'o'));
  ASSERT_EQ(::chmod(path.c_str(), 0640), 0);
  const ino_t inode = Inode(path);
  ASSERT_EQ(SaveFile(path, Rows(1)), SaveResult::Ok);
  EXPECT_EQ(ReadFile(path), "row0\n");
  EXPECT_EQ(Inode(path), inode);
  struct stat info {};
  ASSERT_EQ(::stat(path.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 07777, 0640u);

  // A first write that fails leaves the old file as it was, and a file that
  // was not there before is not left behind.
  WriteFile(path, "old contents\n");
  const WriteFunction previous = InstallWriteFunction(&FailAtOnce);
  EXPECT_EQ(SaveFile(path, Rows(3), &error), SaveResult::WriteFailed);
  EXPECT_EQ(error, EIO);
  EXPECT_EQ(ReadFile(path), "old contents\n");
  ASSERT_EQ(::unlink(path.c_str()), 0);
  EXPECT_EQ(SaveFile(path, Rows(3)), SaveResult::WriteFailed);
  InstallWriteFunction(previous);
  EXPECT_EQ(FileCount(dir), 0);
}

// A directory that takes no new files: an existing file in it is written in
// place; a link in it, or one to a file in it, is followed. As root the test
// acts as nobody, since root may create files anywhere.
TEST_F(SaveFileTest, AReadOnlyDirectoryIsWrittenInPlace) {
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
  ASSERT_EQ(SaveFile(locked + "/keep.txt", Rows(2), &error), SaveResult::Ok) << ErrorText(error);
  EXPECT_EQ(ReadFile(locked + "/keep.txt"), "row0\nrow1\n");
  EXPECT_EQ(Inode(locked + "/keep.txt"), inode);

  // Through a link to it from elsewhere.
  ASSERT_EQ(SaveFile(open + "/to-locked", Rows(1)), SaveResult::Ok);
  EXPECT_EQ(ReadFile(locked + "/keep.txt"), "row0\n");
  EXPECT_TRUE(IsLink(open + "/to-locked"));

  // A link in the locked directory to a file that does not exist yet in a
  // writable one.
  ASSERT_EQ(SaveFile(locked + "/link", Rows(2)), SaveResult::Ok);
  EXPECT_TRUE(IsLink(locked + "/link"));
  EXPECT_EQ(ReadFile(open + "/linked.txt"), "row0\nrow1\n");

  // A new file cannot be made there at all; a failed first write keeps the
  // old bytes.
  EXPECT_EQ(SaveFile(locked + "/new.txt", Rows(1), &error), SaveResult::OpenFailed);
  EXPECT_EQ(error, EACCES);
  const WriteFunction previous = InstallWriteFunction(&FailAtOnce);
  EXPECT_EQ(SaveFile(locked + "/keep.txt", Rows(2)), SaveResult::WriteFailed);
  InstallWriteFunction(previous);
  EXPECT_EQ(ReadFile(locked + "/keep.txt"), "row0\n");
  EXPECT_EQ(FileCount(locked), 2);
  EXPECT_EQ(FileCount(open), 2);
}

// In a sticky directory only a file's owner may replace it, though others
// may be allowed to write it: such a file is written in place.
TEST_F(SaveFileTest, AFileOnlyItsOwnerMayReplaceIsWrittenInPlace) {
  if (::geteuid() != 0) {
    GTEST_SKIP() << "needs a file of another user, which only root can make";
  }
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
  ASSERT_EQ(SaveFile(shared, Rows(2), &error), SaveResult::Ok) << ErrorText(error);
  user.Restore();
  EXPECT_EQ(ReadFile(shared), "row0\nrow1\n");
  struct stat info {};
  ASSERT_EQ(::stat(shared.c_str(), &info), 0);
  EXPECT_EQ(info.st_uid, 0u) << "still root's file";
  EXPECT_EQ(FileCount(sticky), 1);
}

// Writes that fail from the given call on (counted from 1), and the calls.
int failFromWrite = 0;
int writeCalls = 0;
std::ptrdiff_t FailFrom(int fd, const void* data, std::size_t size) {
  if (++writeCalls >= failFromWrite) {
    errno = ENOSPC;
    return -1;
  }
  return ::write(fd, data, size);
}

nlink_t Links(const std::string& path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0 ? info.st_nlink : 0;
}

// A file with several names is written in place, so that every name sees
// the new list, and only once all of it is ready: a failure while it is
// made leaves every name on the old bytes.
TEST_F(SaveFileTest, AFileWithSeveralNamesIsWrittenInPlace) {
  const std::string first = Path("first.txt");
  const std::string second = Path("second.txt");
  WriteFile(first, "old contents, longer than the new ones\n");
  ASSERT_EQ(::link(first.c_str(), second.c_str()), 0);
  ASSERT_EQ(::chmod(first.c_str(), 0640), 0);
  const ino_t inode = Inode(first);

  int error = 0;
  ASSERT_EQ(SaveFile(first, Rows(2), &error), SaveResult::Ok) << ErrorText(error);
  EXPECT_EQ(ReadFile(first), "row0\nrow1\n");
  EXPECT_EQ(ReadFile(second), "row0\nrow1\n") << "the other name sees the new list";
  EXPECT_EQ(Inode(first), inode);
  EXPECT_EQ(Links(first), 2u);
  struct stat info {};
  ASSERT_EQ(::stat(first.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 07777, 0640u);

  // By the other name, through a symbolic link, and longer than before.
  ASSERT_EQ(::symlink(second.c_str(), Path("link").c_str()), 0);
  ASSERT_EQ(SaveFile(Path("link"), Rows(12)), SaveResult::Ok);
  EXPECT_EQ(ReadFile(first), ReadFile(second));
  EXPECT_EQ(ReadFile(first).substr(0, 10), "row0\nrow1\n");
  EXPECT_EQ(ReadFile(first).size(), 10u * 5 + 2u * 6);
  EXPECT_TRUE(IsLink(Path("link")));

  // The second of thirteen rows cannot be written: the content was never
  // complete, so neither name has changed. Then the rows are all made but
  // the first write over the old bytes fails: still nothing has changed.
  for (const int failing : {2, 14}) {
    failFromWrite = failing;
    writeCalls = 0;
    const WriteFunction previous = InstallWriteFunction(&FailFrom);
    EXPECT_EQ(SaveFile(first, Rows(13), &error), SaveResult::WriteFailed) << failing;
    InstallWriteFunction(previous);
    EXPECT_EQ(error, ENOSPC);
    EXPECT_EQ(ReadFile(first).size(), 10u * 5 + 2u * 6) << failing;
    EXPECT_EQ(ReadFile(second), ReadFile(first));
  }
  EXPECT_EQ(Inode(second), inode);
  EXPECT_EQ(FileCount(), 3) << "no temporary file is left behind";
}

TEST_F(SaveFileTest, FailuresKeepTheOldFile) {
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
  const SaveResult failed = SaveFile(path, Rows(3000), &error);
  InstallWriteFunction(previous);
  EXPECT_EQ(failed, SaveResult::WriteFailed);
  EXPECT_EQ(error, ENOSPC);
  EXPECT_EQ(ReadFile(path), "old contents\n");
  EXPECT_EQ(FileCount(), 1);

  // A short write is retried, not lost.
  InstallWriteFunction([](int fd, const void* data, std::size_t size) -> std::ptrdiff_t {
    return ::write(fd, data, size > 7 ? 7 : size);
  });
  const SaveResult trickled = SaveFile(path, Rows(3));
  InstallWriteFunction(nullptr);
  EXPECT_EQ(trickled, SaveResult::Ok);
  EXPECT_EQ(ReadFile(path), "row0\nrow1\nrow2\n");

  // Paths that cannot be created.
  EXPECT_EQ(SaveFile(Path("missing/dir/out.txt"), Rows(1), &error), SaveResult::OpenFailed);
  EXPECT_EQ(error, ENOENT);
  EXPECT_EQ(SaveFile(dir_, Rows(1), &error), SaveResult::OpenFailed);
  EXPECT_EQ(error, EISDIR);

  // Devices are written in place, never replaced by a renamed file.
  EXPECT_EQ(SaveFile("/dev/null", Rows(3)), SaveResult::Ok);
  struct stat info {};
  ASSERT_EQ(::stat("/dev/null", &info), 0);
  EXPECT_TRUE(S_ISCHR(info.st_mode));
  if (::access("/dev/full", W_OK) == 0) {
    EXPECT_EQ(SaveFile("/dev/full", Rows(3), &error), SaveResult::WriteFailed);
    EXPECT_EQ(error, ENOSPC);
    ASSERT_EQ(::stat("/dev/full", &info), 0);
    EXPECT_TRUE(S_ISCHR(info.st_mode));
  }

  // A full device fails the stream's write.
  const int full = ::open("/dev/full", O_WRONLY);
  if (full >= 0) {
    OutputStream stream(full);
    EXPECT_EQ(stream.Write("row\n", 4), ENOSPC);
    EXPECT_EQ(stream.Written(), 0u);
    ::close(full);
  }
  EXPECT_EQ(FileCount(), 1);
}

}  // namespace
}  // namespace quillex
