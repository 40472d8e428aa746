#include "platform/InputFile.h"

// Standard library
#include <cerrno>
#include <cstdio>
#include <string>
#include <vector>

// POSIX
#include <sys/stat.h>
#include <unistd.h>

// Third party
#include <gtest/gtest.h>

namespace quillex {
namespace {

std::string WriteTemp(const std::string& name, const std::string& bytes) {
  const std::string path = ::testing::TempDir() + "/quillex-input-" + name;
  std::FILE* f = std::fopen(path.c_str(), "wb");
  std::fwrite(bytes.data(), 1, bytes.size(), f);
  std::fclose(f);
  return path;
}

TEST(InputFile, ReadsFromWhereItIsPositioned) {
  std::string bytes;
  for (int i = 0; i < 70000; ++i)
    bytes += static_cast<char>(i * 7);
  const std::string path = WriteTemp("read", bytes);
  InputFile file;
  ASSERT_TRUE(file.Open(path));
  EXPECT_TRUE(file.IsOpen());
  EXPECT_EQ(file.Size(), 70000u);

  std::vector<char> buffer(65536);
  EXPECT_EQ(file.Read(buffer.data(), buffer.size()), 65536u);
  EXPECT_EQ(std::string(buffer.data(), 65536), bytes.substr(0, 65536));
  // The rest, then end of file: 0 without an error.
  EXPECT_EQ(file.Read(buffer.data(), buffer.size()), 70000u - 65536u);
  EXPECT_EQ(std::string(buffer.data(), 70000 - 65536), bytes.substr(65536));
  EXPECT_EQ(file.Read(buffer.data(), buffer.size()), 0u);
  EXPECT_FALSE(file.HadReadError());

  ASSERT_TRUE(file.Seek(69990));
  EXPECT_EQ(file.Read(buffer.data(), 100), 10u);
  EXPECT_EQ(std::string(buffer.data(), 10), bytes.substr(69990));
  // Positions past the end read nothing, also far past 4 GiB.
  ASSERT_TRUE(file.Seek(0x100000000ull));
  EXPECT_EQ(file.Read(buffer.data(), 100), 0u);
  EXPECT_FALSE(file.HadReadError());

  file.Close();
  EXPECT_FALSE(file.IsOpen());
  EXPECT_EQ(file.Read(buffer.data(), 100), 0u);
  std::remove(path.c_str());
}

TEST(InputFile, FilesThatCannotBeScannedFailToOpen) {
  InputFile file;
  EXPECT_FALSE(file.Open(::testing::TempDir() + "/quillex-input-missing"));
  EXPECT_EQ(file.LastError(), ENOENT);
  // Linux opens a directory for reading; a scan of it would read nothing and
  // look like a successful scan of an empty file.
  EXPECT_FALSE(file.Open(::testing::TempDir()));
  EXPECT_EQ(file.LastError(), EISDIR);
  EXPECT_FALSE(file.IsOpen());
  EXPECT_EQ(ErrorText(EISDIR), "Is a directory");
  EXPECT_EQ(ErrorText(ENOENT), "No such file or directory");

  // A file without read permission, unless we are root and may read anyway.
  if (::geteuid() != 0) {
    const std::string path = WriteTemp("locked", "x");
    ::chmod(path.c_str(), 0);
    EXPECT_FALSE(file.Open(path));
    EXPECT_EQ(file.LastError(), EACCES);
    std::remove(path.c_str());
  }
}

TEST(InputFile, NamedPipeOpensWithoutWaitingForAWriter) {
  const std::string path = ::testing::TempDir() + "/quillex-input-fifo";
  std::remove(path.c_str());
  ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0);
  InputFile file;
  ASSERT_TRUE(file.Open(path));
  char buffer[16];
  // A pipe cannot be read from a position, so the scan's reads fail and say so.
  EXPECT_EQ(file.Read(buffer, sizeof buffer), 0u);
  EXPECT_TRUE(file.HadReadError());
  EXPECT_EQ(file.LastError(), ESPIPE);
  file.Close();
  std::remove(path.c_str());
}

TEST(InputFile, ReadErrorsReadAsNothingAndAreReported) {
  // /proc/self/mem opens, but reading at address 0 fails with an error.
  InputFile file;
  ASSERT_TRUE(file.Open("/proc/self/mem"));
  char buffer[16];
  EXPECT_TRUE(file.Seek(0));
  EXPECT_EQ(file.Read(buffer, sizeof buffer), 0u);
  EXPECT_TRUE(file.HadReadError());
  EXPECT_NE(file.LastError(), 0);
}

}  // namespace
}  // namespace quillex
