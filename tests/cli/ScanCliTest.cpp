// Standard library
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

// System
#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

// Ours
#include "support/PeBuilder.h"

extern char** environ;

namespace quillex {
namespace {

const std::string kHeader =
    "\r\nFile pos       Mem pos          ID   Text\r\n"
    "========       =======          ==   ====\r\n\r\n";

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

void WriteFile(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) {
    lines.push_back(line);
  }
  return lines;
}

struct Outcome {
  int status = -1;
  std::string out;
  std::string err;
};

// Runs the built quillex-scan in its own temp directory and collects its
// exit status and both streams. `stdoutPath` replaces standard output.
class ScanCliTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* scanner = std::getenv("QUILLEX_SCAN");
    ASSERT_NE(scanner, nullptr) << "QUILLEX_SCAN names the quillex-scan binary";
    scanner_ = scanner;
    std::string pattern = ::testing::TempDir() + "quillex-cli-XXXXXX";
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    dir_ = pattern;
  }
  void TearDown() override {
    const std::string command = "rm -rf '" + dir_ + "'";
    ASSERT_EQ(std::system(command.c_str()), 0);
  }

  [[nodiscard]] std::string Path(const std::string& name) const { return dir_ + "/" + name; }

  Outcome Run(const std::vector<std::string>& args, const std::string& stdoutPath = "") {
    const std::string outPath = stdoutPath.empty() ? Path("stdout") : stdoutPath;
    const std::string errPath = Path("stderr");
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0644);
    posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0644);
    std::vector<char*> argv;
    argv.push_back(scanner_.data());
    std::vector<std::string> copies = args;
    for (std::string& arg : copies) {
      argv.push_back(arg.data());
    }
    argv.push_back(nullptr);
    Outcome outcome;
    pid_t pid = 0;
    const int spawned =
        posix_spawn(&pid, scanner_.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    EXPECT_EQ(spawned, 0);
    if (spawned != 0) {
      return outcome;
    }
    int wait = 0;
    EXPECT_EQ(::waitpid(pid, &wait, 0), pid);
    EXPECT_TRUE(WIFEXITED(wait)) << "quillex-scan did not exit normally";
    outcome.status = WIFEXITED(wait) ? WEXITSTATUS(wait) : -1;
    if (stdoutPath.empty()) {
      outcome.out = ReadFile(outPath);
    }
    outcome.err = ReadFile(errPath);
    return outcome;
  }

  std::string scanner_;
  std::string dir_;
};

// ANSI strings at known places, one of them with a Windows-1252 letter and
// one with a triple letter, then a UTF-16LE string.
std::string SampleFile() {
  using namespace std::string_literals;
  std::string bytes = "hello world\0abcd\0caf\xe9 au lait\0baaad\0baad z\0"s;
  bytes.resize(48, '\0');
  for (char c : "wide text"s) {
    bytes += c;
    bytes += '\0';
  }
  bytes += "\0\0"s;
  return bytes;
}

std::string Row(std::uint64_t pos, std::uint64_t mem, unsigned id, const std::string& text) {
  char head[64];
  std::snprintf(head, sizeof head, "%012llX   %012llX  %5u   ",
                static_cast<unsigned long long>(pos), static_cast<unsigned long long>(mem), id);
  return head + text + "\r\n";
}

TEST_F(ScanCliTest, PrintsWhatSaveWrites) {
  WriteFile(Path("sample.bin"), SampleFile());
  const Outcome advanced = Run({Path("sample.bin")});
  EXPECT_EQ(advanced.status, 0) << advanced.err;
  EXPECT_EQ(advanced.out, kHeader + Row(0x0, 0x0, 0, "hello world") +
                              Row(0x15, 0x15, 0, " au lait") + Row(0x1E, 0x1E, 0, "baaad") +
                              Row(0x24, 0x24, 0, "baad z") + Row(0x30, 0x30, 0, "wide text"));
  const std::vector<std::string> err = Lines(advanced.err);
  ASSERT_EQ(err.size(), 4u) << advanced.err;
  EXPECT_EQ(err[0], "AN: 4");
  EXPECT_EQ(err[1], "UN: 1");
  EXPECT_EQ(err[2], "RS: 0");
  EXPECT_EQ(err[3].rfind("Time taken : ", 0), 0u) << err[3];
  EXPECT_NE(err[3].find("    Text size: 39 bytes (0.04K)"), std::string::npos) << err[3];

  const Outcome plain = Run({"--plain", "-q", Path("sample.bin")});
  EXPECT_EQ(plain.status, 0);
  EXPECT_EQ(plain.out, "hello world\n au lait\nbaaad\nbaad z\nwide text\n");
  EXPECT_EQ(plain.err, "") << "-q leaves standard error quiet";

  // --timings adds one line per pass, even with -q.
  const Outcome timed = Run({"-q", "--timings", Path("sample.bin")});
  EXPECT_EQ(timed.out, advanced.out);
  const std::vector<std::string> timings = Lines(timed.err);
  ASSERT_EQ(timings.size(), 3u) << timed.err;
  EXPECT_EQ(timings[0].rfind("ansi ", 0), 0u);
  EXPECT_EQ(timings[1].rfind("unicode ", 0), 0u);
  EXPECT_EQ(timings[2].rfind("resource ", 0), 0u);
  for (const std::string& line : timings) {
    EXPECT_EQ(line.substr(line.size() - 3), " ms") << line;
  }

  // A file without strings: empty output, no header.
  WriteFile(Path("empty.bin"), "");
  const Outcome empty = Run({"--quiet", Path("empty.bin")});
  EXPECT_EQ(empty.status, 0);
  EXPECT_EQ(empty.out, "");
}

TEST_F(ScanCliTest, CriteriaOptionsActLikeTheFilterPage) {
  WriteFile(Path("sample.bin"), SampleFile());
  const std::string file = Path("sample.bin");
  auto plain = [&](std::vector<std::string> args) {
    args.insert(args.begin(), {"--plain", "-q"});
    args.push_back(file);
    const Outcome outcome = Run(args);
    EXPECT_EQ(outcome.status, 0) << outcome.err;
    return outcome.out;
  };
  EXPECT_EQ(plain({"--include", "\xe9"}),
            "hello world\ncaf\xe9 au lait\nbaaad\nbaad z\nwide text\n");
  EXPECT_EQ(plain({"--repeat", "3"}), "hello world\n au lait\nbaad z\nwide text\n");
  EXPECT_EQ(plain({"--repeat=1"}), "hello world\n au lait\nbaad z\nwide text\n")
      << "a repeat field below 2 becomes 3";
  EXPECT_EQ(plain({"--must-contain", "z"}), "baad z\n");
  EXPECT_EQ(plain({"--must-contain", "zl"}), "");
  EXPECT_EQ(plain({"--min", "4"}), "hello world\nabcd\n au lait\nbaaad\nbaad z\nwide text\n");
  EXPECT_EQ(plain({"--min", "0"}), plain({})) << "--min 0 gives 5";
  EXPECT_EQ(plain({"--min", "9", "--max", "8"}), " au lait\n")
      << "min is cut down to max: only 8-byte strings";
  EXPECT_EQ(plain({"--min", "6", "--max", "0"}), "hello world\n au lait\nbaad z\nwide text\n");
  // The must-contain characters are allowed bytes too, and come after --include.
  EXPECT_EQ(plain({"--must-contain", "\xe9"}), "caf\xe9 au lait\n");
  EXPECT_EQ(plain({"--include", "\xe9", "--must-contain", "x"}), "wide text\n");
}

TEST_F(ScanCliTest, ResourceStringsAndDamagedSections) {
  testing::ResourceTree tree;
  tree.AddStrings(2, {u"Open file", u"Close all"});
  testing::PeBuilder pe;
  pe.ImageBase(0x400000);
  const testing::ResourceTree::Layout layout = tree.Build(0x3000);
  const std::size_t rsrc = pe.AddSection(".rsrc", 0x3000, layout.bytes);
  const testing::Bytes image = pe.Build();
  ASSERT_TRUE(testing::WriteBytes(Path("image.exe"), image));

  const Outcome good = Run({Path("image.exe")});
  EXPECT_EQ(good.status, 0) << good.err;
  const std::uint64_t first = pe.RawStart(rsrc) + layout.data[0];
  const std::uint64_t firstMem = 0x400000 + 0x3000 + layout.data[0];
  const std::string resourceRows =
      Row(first, firstMem, 16, "Open file") + Row(first + 20, firstMem + 20, 17, "Close all");
  ASSERT_GE(good.out.size(), resourceRows.size());
  EXPECT_EQ(good.out.substr(good.out.size() - resourceRows.size()), resourceRows)
      << "the resource pass runs last";
  const std::vector<std::string> err = Lines(good.err);
  ASSERT_GE(err.size(), 3u);
  EXPECT_EQ(err[2], "RS: 2");
  EXPECT_EQ(good.err.find("There was a problem"), std::string::npos);

  // Two damaged ".rsrc" sections: one warning each, even with -q; the scan
  // still succeeds.
  testing::PeBuilder damaged;
  damaged.AddSection(".rsrc", 0x1000, testing::Bytes(32, 0xFF));
  damaged.AddSection(".rsrc", 0x2000, testing::Bytes(32, 0xFF));
  ASSERT_TRUE(testing::WriteBytes(Path("damaged.exe"), damaged.Build()));
  const Outcome bad = Run({"-q", Path("damaged.exe")});
  EXPECT_EQ(bad.status, 0) << bad.err;
  const std::string warning =
      "There was a problem trying to read the string resources in this file.\r\n"
      "The file may be compressed or in a non-standard format.\n";
  EXPECT_EQ(bad.err, warning + warning);
}

TEST_F(ScanCliTest, OutputFileIsWrittenAsSaveWrites) {
  WriteFile(Path("sample.bin"), SampleFile());
  const Outcome toStdout = Run({"-q", Path("sample.bin")});
  ASSERT_EQ(toStdout.status, 0);

  WriteFile(Path("out.txt"), std::string(100000, 'x'));
  ASSERT_EQ(::chmod(Path("out.txt").c_str(), 0600), 0);
  const Outcome toFile = Run({"-q", "-o", Path("out.txt"), Path("sample.bin")});
  EXPECT_EQ(toFile.status, 0) << toFile.err;
  EXPECT_EQ(toFile.out, "");
  EXPECT_EQ(ReadFile(Path("out.txt")), toStdout.out) << "the old file is replaced entirely";
  struct stat info {};
  ASSERT_EQ(::stat(Path("out.txt").c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 07777, 0600u);

  const Outcome plain = Run({"-q", "--plain", "--output=" + Path("plain.txt"), Path("sample.bin")});
  EXPECT_EQ(plain.status, 0);
  EXPECT_EQ(ReadFile(Path("plain.txt")), "hello world\n au lait\nbaaad\nbaad z\nwide text\n");

  // Onto a link whose file does not exist yet: the file is made, the link
  // stays.
  ASSERT_EQ(::symlink(Path("made.txt").c_str(), Path("link.txt").c_str()), 0);
  const Outcome linked = Run({"-q", "-o", Path("link.txt"), Path("sample.bin")});
  EXPECT_EQ(linked.status, 0) << linked.err;
  EXPECT_EQ(ReadFile(Path("made.txt")), toStdout.out);
  ASSERT_EQ(::lstat(Path("link.txt").c_str(), &info), 0);
  EXPECT_TRUE(S_ISLNK(info.st_mode));

  const Outcome noDir = Run({"-q", "-o", Path("no/such/dir.txt"), Path("sample.bin")});
  EXPECT_EQ(noDir.status, 1);
  EXPECT_NE(noDir.err.find("Unable to open that file"), std::string::npos) << noDir.err;
  EXPECT_NE(noDir.err.find(Path("no/such/dir.txt")), std::string::npos);
  EXPECT_NE(noDir.err.find("No such file or directory"), std::string::npos);

  if (::access("/dev/full", W_OK) == 0) {
    const Outcome full = Run({"-q", Path("sample.bin")}, "/dev/full");
    EXPECT_EQ(full.status, 1);
    EXPECT_NE(full.err.find("No space left on device"), std::string::npos) << full.err;
  }
}

TEST_F(ScanCliTest, FailuresAndTheirExitStatuses) {
  auto expectOpenFailure = [&](const std::string& path, const std::string& reason) {
    const Outcome outcome = Run({path});
    EXPECT_EQ(outcome.status, 1) << path;
    EXPECT_EQ(outcome.out, "") << path;
    EXPECT_EQ(outcome.err,
              "quillex-scan: Unable to open that file: " + path + ": " + reason + "\n");
  };
  expectOpenFailure(Path("missing.bin"), "No such file or directory");
  expectOpenFailure(dir_, "Is a directory");

  // A file that opens but cannot be read.
  const Outcome unreadable = Run({"-q", "/proc/self/mem"});
  EXPECT_EQ(unreadable.status, 4);
  EXPECT_NE(unreadable.err.find("read error"), std::string::npos) << unreadable.err;

  // Results the store cannot take are reported, the rest still printed: 20
  // bytes of pool hold "hello world" (12 bytes) and then only "baaad" (6).
  WriteFile(Path("sample.bin"), SampleFile());
  const Outcome dropped = Run({"-q", "--plain", "--pool-limit", "20", Path("sample.bin")});
  EXPECT_EQ(dropped.status, 3);
  EXPECT_EQ(dropped.out, "hello world\nbaaad\n");
  EXPECT_NE(dropped.err.find("results were dropped: 3"), std::string::npos) << dropped.err;
}

TEST_F(ScanCliTest, UsageErrors) {
  WriteFile(Path("sample.bin"), "some text\n");
  const std::string file = Path("sample.bin");
  for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
           {},
           {file, file},
           {"--min", "5x", file},
           {"--max", "-3", file},
           {"--repeat", file},
           {"--min"},
           {"--bogus", file},
           {"--plain=yes", file},
           {"-o", "", file},
           {"--pool-limit", "0", file},
       }) {
    const Outcome outcome = Run(args);
    EXPECT_EQ(outcome.status, 2) << ::testing::PrintToString(args);
    EXPECT_EQ(outcome.out, "") << ::testing::PrintToString(args);
    EXPECT_EQ(outcome.err.rfind("quillex-scan: ", 0), 0u) << outcome.err;
  }

  const Outcome version = Run({"--version"});
  EXPECT_EQ(version.status, 0);
  EXPECT_EQ(version.out, "quillex-scan " QUILLEX_VERSION "\n");
  const Outcome help = Run({"--help"});
  EXPECT_EQ(help.status, 0);
  EXPECT_EQ(help.out.rfind("usage: quillex-scan [options] FILE\n", 0), 0u);

  // "--" ends the options, so a file may start with a dash.
  WriteFile(Path("-dash"), "dashing text\n");
  const Outcome dashed = Run({"-q", "--plain", "--", Path("-dash")});
  EXPECT_EQ(dashed.status, 0);
  EXPECT_EQ(dashed.out, "dashing text\n");
}

}  // namespace
}  // namespace quillex
