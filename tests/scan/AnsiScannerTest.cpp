#include "scan/AnsiScanner.h"

// Standard library
#include <string>
#include <vector>

// Third party
#include <gtest/gtest.h>

// Ours
#include "scan/ScannerTestRunner.h"

namespace quillex {
namespace {

using testing::AsBytes;
using testing::Criteria;
using testing::Found;

constexpr StringKind A = StringKind::Ansi;

class AnsiScan : public ::testing::TestWithParam<std::size_t> {
 protected:
  testing::PassRun<AnsiScanner> Run(std::string_view bytes, const FilterCriteria& criteria) {
    const auto data = AsBytes(bytes);
    return testing::RunPass<AnsiScanner>(data, criteria, GetParam());
  }
};

TEST_P(AnsiScan, RunsEndAtRefusedBytesAndAtEndOfData) {
  // "Hello" at 0x10..0x14, ended by a 0 byte that is not part of it.
  std::string bytes(0x10, '\0');
  bytes += "Hello";
  bytes += '\0';
  bytes += "Hi.";          // too short
  bytes += "World\nMore";  // "World" ends at the line feed, "More" is too short
  bytes +=
      "\xff"
      "closing";  // ends exactly at the end of the data
  const auto run = Run(bytes, Criteria(5));
  const std::vector<Found> expected = {
      {0x10, "Hello", 0, A}, {0x19, "World", 0, A}, {0x24, "closing", 0, A}};
  EXPECT_EQ(run.found, expected);
  EXPECT_EQ(run.count, 3u);
  EXPECT_EQ(run.textSize, 17u);
}

TEST_P(AnsiScan, EmptyAndRefusedOnlyInputsFindNothing) {
  EXPECT_TRUE(Run("", Criteria(1)).found.empty());
  const auto run = Run(std::string(100, '\0') + "...\n\n\xfe", Criteria(1));
  EXPECT_TRUE(run.found.empty());
  EXPECT_EQ(run.textSize, 0u);
}

TEST_P(AnsiScan, LengthLimits) {
  // A run of exactly maxLength is kept.
  auto run = Run(".abcde.", Criteria(1, 5));
  ASSERT_EQ(run.found.size(), 1u);
  EXPECT_EQ(run.found[0], (Found{1, "abcde", 0, A}));

  // One byte more drops the run as a whole at that byte; the rest of the run
  // (L - M - 1 bytes) starts after it. L = 9, M = 5: "xyz" at 1 + 6.
  run = Run(".abcdefxyz.", Criteria(3, 5));
  ASSERT_EQ(run.found.size(), 1u);
  EXPECT_EQ(run.found[0], (Found{7, "xyz", 0, A}));
  EXPECT_EQ(run.textSize, 3u);

  // The rest is too short for minLength: nothing at all.
  EXPECT_TRUE(Run(".abcdefxy.", Criteria(3, 5)).found.empty());

  // A long run is cut into dropped pieces of M + 1 bytes; the tail at the end
  // of the data is still tested. 14 bytes, M = 4: e and j drop, "klmn" stays.
  run = Run("abcdefghijklmn", Criteria(2, 4));
  ASSERT_EQ(run.found.size(), 1u);
  EXPECT_EQ(run.found[0], (Found{10, "klmn", 0, A}));

  // minLength and maxLength both inclusive.
  run = Run("ab.abc.abcd", Criteria(3, 3));
  ASSERT_EQ(run.found.size(), 1u);
  EXPECT_EQ(run.found[0].text, "abc");
}

TEST_P(AnsiScan, RepeatLimit) {
  // x a a: dropped at the third a; b starts a new run at its own offset.
  auto run = Run("xaaab.", Criteria(1, 1024, 3));
  ASSERT_EQ(run.found.size(), 1u);
  EXPECT_EQ(run.found[0], (Found{4, "b", 0, A}));

  // The previous byte survives the drop, so a fourth a begins a new run with
  // repeat count 2; a fifth a would drop that one too.
  run = Run("xaaaab.", Criteria(1, 1024, 3));
  ASSERT_EQ(run.found.size(), 1u);
  EXPECT_EQ(run.found[0], (Found{4, "ab", 0, A}));
  run = Run("xaaaaab.", Criteria(1, 1024, 3));
  ASSERT_EQ(run.found.size(), 1u);
  EXPECT_EQ(run.found[0], (Found{6, "b", 0, A}));

  // Two equal bytes stay below a limit of 3; equal bytes apart do not count.
  run = Run("aabaab", Criteria(1, 1024, 3));
  ASSERT_EQ(run.found.size(), 1u);
  EXPECT_EQ(run.found[0].text, "aabaab");

  // Off: no run is ever dropped for repeats.
  run = Run(std::string(600, 'z'), Criteria(1));
  ASSERT_EQ(run.found.size(), 1u);
  EXPECT_EQ(run.found[0].text, std::string(600, 'z'));

  // A refused byte between equal bytes breaks the repeat.
  run = Run("aa.aa", Criteria(2, 1024, 3));
  EXPECT_EQ(run.found.size(), 2u);
}

TEST_P(AnsiScan, MustContainFiltersAndLeavesTextSizeAlone) {
  FilterCriteria criteria = Criteria(3);
  criteria.mustContainEnabled = true;
  criteria.mustContain = "xE";
  const auto run = Run("axbE.axb.xxEE.Eab", Criteria(3));
  EXPECT_EQ(run.found.size(), 4u);
  const auto filtered = Run("axbE.axb.xxEE.Eab", criteria);
  const std::vector<Found> expected = {{0, "axbE", 0, A}, {9, "xxEE", 0, A}};
  EXPECT_EQ(filtered.found, expected);
  EXPECT_EQ(filtered.textSize, 8u);
  EXPECT_EQ(filtered.count, 2u);
}

TEST_P(AnsiScan, EveryByteValueAgainstTheTable) {
  // Each byte value alone between two refused bytes: found exactly when the
  // table admits it.
  CharClassTable table;
  table.SetBytes("\x01\x7f\x80\xff", 1);
  std::vector<std::uint8_t> bytes;
  for (int b = 0; b < 256; ++b) {
    bytes.push_back(static_cast<std::uint8_t>(b));
    bytes.push_back(0);
  }
  const auto run = testing::RunPass<AnsiScanner>(bytes, Criteria(1), GetParam(), table);
  std::vector<std::uint64_t> positions;
  for (const Found& f : run.found)
    positions.push_back(f.position);
  EXPECT_EQ(positions, (std::vector<std::uint64_t>{2, 0xfe, 0x100, 0x1fe}));
}

TEST_P(AnsiScan, BlockEdgesDoNotSplitRuns) {
  // The same text found whatever the block size, with the offset of its first
  // byte; a run crossing offset 16384 is one string.
  std::string bytes(16380, '\0');
  bytes += "straddling";
  bytes += std::string(10, '\0');
  bytes += "tail";
  const auto run = Run(bytes, Criteria(4));
  const std::vector<Found> expected = {{16380, "straddling", 0, A}, {16400, "tail", 0, A}};
  EXPECT_EQ(run.found, expected);
}

INSTANTIATE_TEST_SUITE_P(BlockSizes, AnsiScan, ::testing::ValuesIn(testing::kBlockSizes));

}  // namespace
}  // namespace quillex
