#include "scan/UnicodeScanner.h"

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

constexpr StringKind U = StringKind::Unicode;

// UTF-16LE of an ASCII text, each character followed by a zero byte.
std::string Wide(std::string_view text) {
  std::string out;
  for (char c : text) {
    out += c;
    out += '\0';
  }
  return out;
}

const std::string kNul2("\0\0", 2);

class UnicodeScan : public ::testing::TestWithParam<std::size_t> {
 protected:
  testing::PassRun<UnicodeScanner> Run(std::string_view bytes, const FilterCriteria& criteria) {
    const auto data = AsBytes(bytes);
    return testing::RunPass<UnicodeScanner>(data, criteria, GetParam());
  }
};

TEST_P(UnicodeScan, TerminatedTextAtEvenAndOddOffsets) {
  // 48 00 69 00 00 00 at 0x20, and the same at 0x21.
  std::string even(0x20, '\xee');
  even += Wide("Hi") + kNul2;
  auto run = Run(even, Criteria(2));
  ASSERT_EQ(run.found.size(), 1u);
  EXPECT_EQ(run.found[0], (Found{0x20, "Hi", 0, U}));
  EXPECT_EQ(run.textSize, 2u);

  std::string odd(0x21, '\xee');
  odd += Wide("Hi") + kNul2;
  run = Run(odd, Criteria(2));
  ASSERT_EQ(run.found.size(), 1u);
  EXPECT_EQ(run.found[0], (Found{0x21, "Hi", 0, U}));

  // Text from the very first byte of the data.
  run = Run(Wide("Start") + kNul2 + Wide("next") + kNul2, Criteria(4));
  const std::vector<Found> expected = {{0, "Start", 0, U}, {12, "next", 0, U}};
  EXPECT_EQ(run.found, expected);
  EXPECT_EQ(run.count, 2u);
  EXPECT_EQ(run.textSize, 9u);
}

TEST_P(UnicodeScan, AbandonedRunsAreNeverTested) {
  // A refused character (the line feed) abandons the run however long it is.
  auto run = Run(Wide("abcdef\ngh") + kNul2, Criteria(2));
  ASSERT_EQ(run.found.size(), 1u);
  EXPECT_EQ(run.found[0], (Found{14, "gh", 0, U}));

  // A unit with a non-zero high byte (U+0141) abandons it too; the text after
  // it starts at its own first character.
  run = Run(Wide("abc") + std::string("\x41\x01", 2) + Wide("cd") + kNul2, Criteria(2));
  ASSERT_EQ(run.found.size(), 1u);
  EXPECT_EQ(run.found[0], (Found{8, "cd", 0, U}));

  // Plain single-byte text gives at most its last character.
  const std::string ansi = std::string("abc") + kNul2;
  run = Run(ansi, Criteria(1));
  ASSERT_EQ(run.found.size(), 1u);
  EXPECT_EQ(run.found[0], (Found{2, "c", 0, U}));
  EXPECT_TRUE(Run(ansi, Criteria(2)).found.empty());
}

TEST_P(UnicodeScan, EndOfDataKeepsAnOpenRunAfterTheFullTest) {
  auto run = Run(std::string("\x01\x02", 2) + Wide("tail"), Criteria(4));
  ASSERT_EQ(run.found.size(), 1u);
  EXPECT_EQ(run.found[0], (Found{2, "tail", 0, U}));

  // The same test as inside the file: length and must-contain.
  EXPECT_TRUE(Run(Wide("abc"), Criteria(4)).found.empty());
  FilterCriteria criteria = Criteria(1);
  criteria.mustContainEnabled = true;
  criteria.mustContain = "q";
  EXPECT_TRUE(Run(Wide("abc"), criteria).found.empty());
  EXPECT_EQ(Run(Wide("aqc"), criteria).found.size(), 1u);
  EXPECT_TRUE(Run(Wide("abc") + kNul2, criteria).found.empty());

  // A lone trailing byte after the text changes nothing: the pending run ends
  // untested only if a second non-zero byte follows.
  run = Run(Wide("tail") + "x", Criteria(4));
  EXPECT_EQ(run.found.size(), 1u);
  EXPECT_TRUE(Run(Wide("tail") + "xy", Criteria(4)).found.empty());
}

TEST_P(UnicodeScan, LengthLimits) {
  auto run = Run(Wide("abcde") + kNul2, Criteria(1, 5));
  ASSERT_EQ(run.found.size(), 1u);
  EXPECT_EQ(run.found[0].text, "abcde");

  // The sixth character drops the run and belongs to no run; the seventh
  // starts a new one at its own offset.
  run = Run(Wide("abcdefxyz") + kNul2, Criteria(3, 5));
  ASSERT_EQ(run.found.size(), 1u);
  EXPECT_EQ(run.found[0], (Found{12, "xyz", 0, U}));
}

TEST_P(UnicodeScan, RepeatLimit) {
  // Three equal characters in a row drop the run; b then starts anew.
  auto run = Run(Wide("xaaab") + kNul2, Criteria(1, 1024, 3));
  ASSERT_EQ(run.found.size(), 1u);
  EXPECT_EQ(run.found[0], (Found{8, "b", 0, U}));

  // A fourth a starts a run with repeat count 2.
  run = Run(Wide("xaaaab") + kNul2, Criteria(1, 1024, 3));
  ASSERT_EQ(run.found.size(), 1u);
  EXPECT_EQ(run.found[0], (Found{8, "ab", 0, U}));

  // Equal characters separated by another unit are not repeats.
  run = Run(Wide("abababa") + kNul2, Criteria(1, 1024, 3));
  ASSERT_EQ(run.found.size(), 1u);
  EXPECT_EQ(run.found[0].text, "abababa");

  // The unit before counts only when its high byte is 0: after the unit
  // 61 01 the first a of "aaa" has repeat count 1, so a limit of 4 keeps all three.
  run = Run(std::string("\x61\x01") + Wide("aaa") + kNul2, Criteria(1, 1024, 4));
  ASSERT_EQ(run.found.size(), 1u);
  EXPECT_EQ(run.found[0], (Found{2, "aaa", 0, U}));

  // Off: nothing is dropped.
  run = Run(Wide(std::string(300, 'q')) + kNul2, Criteria(1));
  ASSERT_EQ(run.found.size(), 1u);
  EXPECT_EQ(run.found[0].text.size(), 300u);
}

TEST_P(UnicodeScan, EveryByteValueAsACharacter) {
  CharClassTable table;
  table.SetBytes("\x01\x7f\x80\xff", 1);
  std::vector<std::uint8_t> bytes;
  for (int b = 0; b < 256; ++b) {
    bytes.insert(bytes.end(), {static_cast<std::uint8_t>(b), 0, 0, 0});
  }
  const auto run = testing::RunPass<UnicodeScanner>(bytes, Criteria(1), GetParam(), table);
  std::vector<std::uint64_t> positions;
  for (const Found& f : run.found)
    positions.push_back(f.position);
  EXPECT_EQ(positions, (std::vector<std::uint64_t>{4, 0x1fc, 0x200, 0x3fc}));
}

TEST_P(UnicodeScan, BlockEdgesDoNotSplitRuns) {
  std::string bytes(16381, '\0');
  bytes += Wide("crossing") + kNul2;
  const auto run = Run(bytes, Criteria(4));
  ASSERT_EQ(run.found.size(), 1u);
  EXPECT_EQ(run.found[0], (Found{16381, "crossing", 0, U}));
}

INSTANTIATE_TEST_SUITE_P(BlockSizes, UnicodeScan, ::testing::ValuesIn(testing::kBlockSizes));

}  // namespace
}  // namespace quillex
