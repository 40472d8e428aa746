// Runs the built desktop program the way a user at a terminal does, with no
// display and no Qt platform chosen: --help and --version must answer
// without ever starting Qt.

// Standard library
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

// System
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

namespace quillex {
namespace {

struct Outcome {
  bool exited = false;  // false: ended by a signal
  int status = -1;
  std::string out;
  std::string err;
};

// Waits for the child. A program that wrongly opened a window would never end
// by itself, so after a minute it is ended, which counts as not exiting.
bool WaitForExit(pid_t pid, int& status) {
  for (int tries = 0; tries < 600; ++tries) {
    int wait = 0;
    const pid_t done = ::waitpid(pid, &wait, WNOHANG);
    if (done == pid) {
      status = WIFEXITED(wait) ? WEXITSTATUS(wait) : -1;
      return WIFEXITED(wait);
    }
    if (done < 0) {
      return false;
    }
    ::usleep(100 * 1000);
  }
  ::kill(pid, SIGKILL);
  ::waitpid(pid, nullptr, 0);
  return false;
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

class DesktopCommandLineTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* program = std::getenv("QUILLEX_DESKTOP");
    ASSERT_NE(program, nullptr) << "QUILLEX_DESKTOP names the quillex binary";
    program_ = program;
    std::string pattern = ::testing::TempDir() + "quillex-desktop-XXXXXX";
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    dir_ = pattern;
  }
  void TearDown() override {
    const std::string command = "rm -rf '" + dir_ + "'";
    ASSERT_EQ(std::system(command.c_str()), 0);
  }

  // Only PATH and HOME: no DISPLAY, WAYLAND_DISPLAY, XDG_RUNTIME_DIR or
  // QT_QPA_PLATFORM, so Qt has no display it could reach.
  Outcome Run(const std::vector<std::string>& args) {
    const std::string outPath = dir_ + "/stdout";
    const std::string errPath = dir_ + "/stderr";
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0644);
    posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0644);
    std::vector<std::string> words = {program_};
    words.insert(words.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& word : words) {
      argv.push_back(word.data());
    }
    argv.push_back(nullptr);
    std::string path = "PATH=/usr/bin:/bin";
    std::string home = "HOME=" + dir_;
    char* envp[] = {path.data(), home.data(), nullptr};

    Outcome outcome;
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, program_.c_str(), &actions, nullptr, argv.data(), envp);
    posix_spawn_file_actions_destroy(&actions);
    EXPECT_EQ(spawned, 0);
    if (spawned != 0) {
      return outcome;
    }
    outcome.exited = WaitForExit(pid, outcome.status);
    outcome.out = ReadFile(outPath);
    outcome.err = ReadFile(errPath);
    return outcome;
  }

  std::string program_;
  std::string dir_;
};

TEST_F(DesktopCommandLineTest, VersionAndHelpNeedNoDisplay) {
  const Outcome version = Run({"--version"});
  EXPECT_TRUE(version.exited);
  EXPECT_EQ(version.status, 0);
  EXPECT_EQ(version.out, "quillex " QUILLEX_VERSION "\n");
  EXPECT_EQ(version.err, "");

  for (const char* option : {"--help", "-h"}) {
    const Outcome help = Run({option});
    EXPECT_TRUE(help.exited) << option;
    EXPECT_EQ(help.status, 0) << option;
    EXPECT_EQ(help.err, "") << option;
    EXPECT_EQ(help.out.rfind("usage: quillex [FILE]\n", 0), 0u) << help.out;
    // The way to a file whose name begins with a dash is part of the usage.
    EXPECT_NE(help.out.find("quillex ./-name"), std::string::npos) << help.out;
    EXPECT_NE(help.out.find("--version"), std::string::npos) << help.out;
  }
}

TEST_F(DesktopCommandLineTest, OptionWordsElsewhereArePartOfThePath) {
  // Not the first argument, "--version" is a word of the path: the program
  // goes on to start Qt, which finds no display and ends without printing
  // a version. This also shows the runs above really had no display.
  const Outcome later = Run({"my", "--version"});
  EXPECT_FALSE(later.exited && later.status == 0);
  EXPECT_EQ(later.out.find("quillex " QUILLEX_VERSION), std::string::npos);

  // An option of its own is only ever the whole first argument.
  const Outcome glued = Run({"--versions"});
  EXPECT_FALSE(glued.exited && glued.status == 0);
  EXPECT_EQ(glued.out, "");
}

TEST_F(DesktopCommandLineTest, FailedWriteOfVersionIsAnError) {
  // /dev/full takes no bytes: a version that could not be printed must not
  // be reported as printed.
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/full", O_WRONLY, 0);
  std::string arg = "--version";
  char* argv[] = {program_.data(), arg.data(), nullptr};
  std::string path = "PATH=/usr/bin:/bin";
  char* envp[] = {path.data(), nullptr};
  pid_t pid = 0;
  ASSERT_EQ(posix_spawn(&pid, program_.c_str(), &actions, nullptr, argv, envp), 0);
  posix_spawn_file_actions_destroy(&actions);
  int status = -1;
  ASSERT_TRUE(WaitForExit(pid, status));
  EXPECT_EQ(status, 1);
}

}  // namespace
}  // namespace quillex
