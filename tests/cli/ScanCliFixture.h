// quillex-scan run as a program: a fixture that starts the built binary with
// chosen standard streams and collects its exit status and output, and the
// sample files and readers of its layouts that several test files share.
#pragma once

// Standard library
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

// System
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

// Ours
#include "support/FileBytes.h"
#include "support/PeBuilder.h"

extern char** environ;

namespace quillex::testing {

inline const std::string kHeader =
    "\r\nFile pos       Mem pos          ID   Text\r\n"
    "========       =======          ==   ====\r\n\r\n";

inline std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) {
    lines.push_back(line);
  }
  return lines;
}

struct Outcome {
  int status = -1;  // the exit status, or -1 when a signal ended the program
  int signal = 0;   // the signal that ended it, or 0
  std::string out;
  std::string err;
};

// How the program is started besides its arguments.
struct Launch {
  std::string stdoutPath;                // replaces standard output
  std::string stdinPath = "/dev/null";   // standard input, unless one of these:
  std::optional<std::string> stdinPipe;  // these bytes through a pipe
  bool stdinTerminal = false;            // a pseudo-terminal
  bool stdoutClosedPipe = false;         // a pipe whose reader has gone
  bool sigpipeIgnored = false;           // started with SIGPIPE ignored
};

inline Launch StdoutTo(std::string path) {
  Launch launch;
  launch.stdoutPath = std::move(path);
  return launch;
}
inline Launch StdinFrom(std::string path) {
  Launch launch;
  launch.stdinPath = std::move(path);
  return launch;
}
inline Launch StdinPipe(std::string bytes) {
  Launch launch;
  launch.stdinPipe = std::move(bytes);
  return launch;
}
inline Launch StdinTerminal() {
  Launch launch;
  launch.stdinTerminal = true;
  return launch;
}
inline Launch ClosedStdout(bool sigpipeIgnored) {
  Launch launch;
  launch.stdoutClosedPipe = true;
  launch.sigpipeIgnored = sigpipeIgnored;
  return launch;
}

// Runs the built quillex-scan in its own temp directory and collects its
// exit status and both streams.
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

  Outcome Run(const std::vector<std::string>& args, const Launch& launch = {}) {
    const std::string outPath = launch.stdoutPath.empty() ? Path("stdout") : launch.stdoutPath;
    const std::string errPath = Path("stderr");
    Streams streams;
    SetUpStreams(launch, outPath, errPath, streams);

    // SIGPIPE as the test asks: ignored (inherited) or at its default.
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t defaults;
    sigemptyset(&defaults);
    struct sigaction previous {};
    if (launch.sigpipeIgnored) {
      struct sigaction ignore {};
      ignore.sa_handler = SIG_IGN;
      ::sigaction(SIGPIPE, &ignore, &previous);
    } else {
      sigaddset(&defaults, SIGPIPE);
      posix_spawnattr_setsigdefault(&attributes, &defaults);
      posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGDEF);
    }

    std::vector<char*> argv;
    argv.push_back(scanner_.data());
    std::vector<std::string> copies = args;
    for (std::string& arg : copies) {
      argv.push_back(arg.data());
    }
    argv.push_back(nullptr);
    pid_t pid = 0;
    const int spawned =
        posix_spawn(&pid, scanner_.c_str(), &streams.actions, &attributes, argv.data(), environ);
    if (launch.sigpipeIgnored) {
      ::sigaction(SIGPIPE, &previous, nullptr);
    }
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&streams.actions);
    for (const int fd : streams.childEnds) {
      ::close(fd);
    }
    EXPECT_EQ(spawned, 0);
    if (streams.feed >= 0) {
      Feed(streams.feed, spawned == 0 ? *launch.stdinPipe : std::string());
    }
    Outcome outcome = Wait(spawned == 0 ? pid : -1, launch);
    for (const int fd : streams.parentEnds) {
      ::close(fd);
    }
    if (launch.stdoutPath.empty() && !launch.stdoutClosedPipe) {
      outcome.out = ReadFile(outPath);
    }
    outcome.err = ReadFile(errPath);
    return outcome;
  }

 private:
  // The child's standard streams as the launch asks, and the ends of pipes
  // and terminals each side closes once the child runs.
  struct Streams {
    posix_spawn_file_actions_t actions;
    std::vector<int> parentEnds;
    std::vector<int> childEnds;
    int feed = -1;  // the pipe end that feeds standard input
  };

  static void SetUpStreams(const Launch& launch, const std::string& outPath,
                           const std::string& errPath, Streams& streams) {
    posix_spawn_file_actions_t& actions = streams.actions;
    posix_spawn_file_actions_init(&actions);
    if (launch.stdoutClosedPipe) {
      int fds[2];
      EXPECT_EQ(::pipe2(fds, O_CLOEXEC), 0);
      ::close(fds[0]);  // nobody will ever read
      streams.childEnds.push_back(fds[1]);
      posix_spawn_file_actions_adddup2(&actions, fds[1], 1);
    } else {
      posix_spawn_file_actions_addopen(&actions, 1, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                       0644);
    }
    posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0644);
    if (launch.stdinPipe) {
      int fds[2];
      EXPECT_EQ(::pipe2(fds, O_CLOEXEC), 0);
      streams.childEnds.push_back(fds[0]);
      streams.feed = fds[1];
      posix_spawn_file_actions_adddup2(&actions, fds[0], 0);
    } else if (launch.stdinTerminal) {
      const int master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
      EXPECT_GE(master, 0);
      EXPECT_EQ(::grantpt(master), 0);
      EXPECT_EQ(::unlockpt(master), 0);
      const int slave = ::open(::ptsname(master), O_RDWR | O_NOCTTY | O_CLOEXEC);
      EXPECT_GE(slave, 0);
      streams.parentEnds.push_back(master);
      streams.childEnds.push_back(slave);
      posix_spawn_file_actions_adddup2(&actions, slave, 0);
    } else {
      posix_spawn_file_actions_addopen(&actions, 0, launch.stdinPath.c_str(), O_RDONLY, 0);
    }
  }

  // Writes the bytes into the pipe and closes it. The writer may be cut off
  // when the program stops reading early; a failed write only ends the
  // feeding.
  static void Feed(int feed, const std::string& bytes) {
    struct sigaction ignore {};
    struct sigaction previous {};
    ignore.sa_handler = SIG_IGN;
    ::sigaction(SIGPIPE, &ignore, &previous);
    for (std::size_t at = 0; at < bytes.size();) {
      const ssize_t written = ::write(feed, bytes.data() + at, bytes.size() - at);
      if (written <= 0) {
        break;
      }
      at += static_cast<std::size_t>(written);
    }
    ::close(feed);
    ::sigaction(SIGPIPE, &previous, nullptr);
  }

  // The exit status or signal of the child `pid` (-1: none was started).
  static Outcome Wait(pid_t pid, const Launch& launch) {
    Outcome outcome;
    if (pid == -1) {
      return outcome;
    }
    int wait = 0;
    EXPECT_EQ(::waitpid(pid, &wait, 0), pid);
    outcome.status = WIFEXITED(wait) ? WEXITSTATUS(wait) : -1;
    outcome.signal = WIFSIGNALED(wait) ? WTERMSIG(wait) : 0;
    if (!launch.stdoutClosedPipe) {
      EXPECT_TRUE(WIFEXITED(wait)) << "quillex-scan did not exit normally";
    }
    return outcome;
  }

 protected:
  std::string scanner_;
  std::string dir_;
};

// ANSI strings at known places, one of them with a Windows-1252 letter and
// one with a triple letter, then a UTF-16LE string.
inline std::string SampleFile() {
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

inline std::string Row(std::uint64_t pos, std::uint64_t mem, unsigned id, const std::string& text) {
  char head[64];
  std::snprintf(head, sizeof head, "%012llX   %012llX  %5u   ",
                static_cast<unsigned long long>(pos), static_cast<unsigned long long>(mem), id);
  return head + text + "\r\n";
}

// One row of the advanced layout taken apart; header blocks give nothing.
struct TextRow {
  std::uint64_t offset = 0;
  std::uint64_t address = 0;
  std::uint64_t id = 0;
  std::string text;
};

inline std::vector<TextRow> TextRows(const std::string& layout) {
  std::vector<TextRow> rows;
  for (std::string line : Lines(layout)) {
    if (line.size() < 38 || line.rfind("File pos", 0) == 0 || line.rfind("====", 0) == 0) {
      continue;
    }
    line.pop_back();  // the CR of CR LF
    TextRow row;
    row.offset = std::stoull(line.substr(0, 12), nullptr, 16);
    row.address = std::stoull(line.substr(15, 12), nullptr, 16);
    row.id = std::stoull(line.substr(29, 5));
    row.text = line.substr(37);
    rows.push_back(row);
  }
  return rows;
}

// Windows-1252 bytes as UTF-8, for the few high bytes the tests use.
inline std::string Utf8(const std::string& bytes) {
  std::string out;
  for (const char c : bytes) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x80) {
      out += c;
    } else if (byte == 0x80) {
      out += "\xE2\x82\xAC";  // the euro sign
    } else {
      EXPECT_GE(byte, 0xA0) << "a byte the test does not convert";
      out += static_cast<char>(0xC0 | (byte >> 6));
      out += static_cast<char>(0x80 | (byte & 0x3F));
    }
  }
  return out;
}

// A PE image with string resources, ANSI text with quotes, commas and
// Windows-1252 letters, and a Unicode string.
inline Bytes RecordsImage() {
  ResourceTree tree;
  tree.AddStrings(2, {u"Open \"file\", now", u"Close all"});
  PeBuilder pe;
  pe.ImageBase(0x400000);
  const ResourceTree::Layout layout = tree.Build(0x3000);
  pe.AddSection(".rsrc", 0x3000, layout.bytes);
  Bytes image = pe.Build();
  using namespace std::string_literals;
  const std::string extra = "say \"hi\", then go\0price 5\x80 caf\xe9\0"s;
  image.insert(image.end(), extra.begin(), extra.end());
  for (const char c : std::string("wide, text")) {
    image.push_back(static_cast<std::uint8_t>(c));
    image.push_back(0);
  }
  image.push_back(0);
  image.push_back(0);
  return image;
}

}  // namespace quillex::testing
