#include "scan/ScanDriver.h"

// Standard library
#include <algorithm>
#include <string>
#include <vector>

// POSIX
#include <fcntl.h>
#include <unistd.h>

// Third party
#include <gtest/gtest.h>

// Ours
#include "scan/ScanTestSupport.h"
#include "support/PeBuilder.h"

namespace quillex {
namespace {

using testing::Bytes;
using testing::Found;

constexpr std::uint64_t k4GiB = 0x100000000ull;

// A sparse file: holes read as zeros without taking disk space, and reading
// them costs little more than the copy, so the whole scan stays short.
class SparseFile {
 public:
  explicit SparseFile(std::uint64_t size) {
    path_ = ::testing::TempDir() + "/quillex-large-XXXXXX";
    fd_ = ::mkstemp(path_.data());
    if (fd_ >= 0 && ::ftruncate(fd_, static_cast<off_t>(size)) != 0) {
      ::close(fd_);
      fd_ = -1;
    }
  }
  ~SparseFile() {
    if (fd_ >= 0)
      ::close(fd_);
    ::unlink(path_.c_str());
  }
  bool Put(std::uint64_t at, const Bytes& bytes) {
    return fd_ >= 0 && ::pwrite(fd_, bytes.data(), bytes.size(), static_cast<off_t>(at)) ==
                           static_cast<ssize_t>(bytes.size());
  }
  bool Put(std::uint64_t at, std::string_view text) {
    return Put(at, Bytes(text.begin(), text.end()));
  }
  [[nodiscard]] bool Ok() const { return fd_ >= 0; }
  [[nodiscard]] const std::string& Path() const { return path_; }

 private:
  std::string path_;
  int fd_ = -1;
};

TEST(LargeFile, PositionsPast4GiBCarryIntoTheHighHalf) {
  SparseFile file(k4GiB + 0x10000);
  if (!file.Ok())
    GTEST_SKIP() << "no room for a sparse file of 4 GiB";

  // A PE image whose ".rsrc" section starts just below 4 GiB and whose
  // string block lies above it.
  testing::ResourceTree tree;
  tree.AddStrings(1, {u"resource above"});
  auto layout = tree.Build(0x1000);
  const std::uint32_t blockAt = 0x200;
  Bytes section = layout.bytes;
  section.resize(blockAt);
  // Only the moved copy of the block stays.
  std::fill(section.begin() + layout.data[0], section.end(), std::uint8_t{0});
  const Bytes block = testing::StringBlock({u"resource above"});
  section.insert(section.end(), block.begin(), block.end());
  testing::Put32(section, layout.dataEntries[0], 0x1000 + blockAt);
  testing::PeBuilder pe;
  const auto rsrc = pe.AddSection(".rsrc", 0x1000, {});
  pe.At(rsrc).rawStart = 0xFFFFFF00u;
  pe.At(rsrc).rawSize = static_cast<std::uint32_t>(section.size());
  ASSERT_TRUE(file.Put(0, pe.Build()));
  ASSERT_TRUE(file.Put(0xFFFFFF00u, section));

  ASSERT_TRUE(file.Put(k4GiB - 4, "straddling"));
  ASSERT_TRUE(file.Put(k4GiB + 0x10, "Hello above"));
  ASSERT_TRUE(file.Put(k4GiB + 0x801, testing::Utf16(u"Wide above")));
  ASSERT_TRUE(file.Put(k4GiB + 0xFFF0, "at the end"));

  ScanEngine engine;
  engine.table = testing::TestTable();
  engine.criteria = testing::Criteria(5);
  testing::FakeHost host;
  const ScanReport report = RunScan(file.Path(), engine, host);
  ASSERT_TRUE(report.opened);
  EXPECT_FALSE(report.readError);
  const std::vector<Found> found = testing::Results(engine.store);
  const std::vector<Found> expected = {
      {k4GiB - 4, "straddling", 0, StringKind::Ansi},
      {k4GiB + 0x10, "Hello above", 0, StringKind::Ansi},
      {k4GiB + 0xFFF0, "at the end", 0, StringKind::Ansi},
      // The string table's text is UTF-16 too; its last string ends in the
      // next (empty) string's zero count.
      {k4GiB + 0x102, "resource above", 0, StringKind::Unicode},
      {k4GiB + 0x801, "Wide above", 0, StringKind::Unicode},
      {0xFFFFFF00ull + blockAt, "resource above", 0, StringKind::Resource}};
  EXPECT_EQ(found, expected);
  EXPECT_EQ(host.warnings, 0);
  EXPECT_EQ(report.totalTextSize, 10u + 11u + 10u + 14u + 10u);
  // Both byte passes share one read of the file.
  EXPECT_EQ(host.pumps, static_cast<int>((k4GiB + 0x10000) / kReadBlockSize));
  // Past the section's file range the image base is simply added, in 64 bits.
  EXPECT_EQ(engine.map.MemoryPosition(k4GiB + 0x10000), k4GiB + 0x10000 + 0x400000);
}

}  // namespace
}  // namespace quillex
