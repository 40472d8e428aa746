#include "scan/SectionLookup.h"

// Standard library
#include <cstdint>
#include <limits>
#include <optional>
#include <random>
#include <sstream>
#include <string>
#include <vector>

// Third party
#include <gtest/gtest.h>

// Ours
#include "scan/SectionMap.h"

namespace quillex {
namespace {

SectionRecord Range(std::uint32_t rawStart, std::uint32_t rawEnd) {
  SectionRecord record;
  record.rawStart = rawStart;
  record.rawEnd = rawEnd;
  return record;
}

// The rule the lookup must keep, as plainly as it can be said: the first
// record in table order whose raw range holds the position.
std::optional<std::uint32_t> FirstHolder(const std::vector<SectionRecord>& records,
                                         std::uint64_t position) {
  for (std::size_t i = 0; i < records.size(); ++i) {
    if (records[i].rawStart <= position && position < records[i].rawEnd) {
      return static_cast<std::uint32_t>(i);
    }
  }
  return std::nullopt;
}

std::string Describe(const std::vector<SectionRecord>& records) {
  std::ostringstream out;
  out << std::hex;
  for (const SectionRecord& r : records) {
    out << "[" << r.rawStart << ", " << r.rawEnd << ") ";
  }
  return out.str();
}

// Every bound of every range, one below and one above it (in 64 bits, so the
// probes reach 2^32 and beyond), and the extremes.
std::vector<std::uint64_t> Probes(const std::vector<SectionRecord>& records) {
  std::vector<std::uint64_t> probes = {
      0, 1, 0xFFFFFFFFu, 0x100000000ull, 0x100000001ull, std::numeric_limits<std::uint64_t>::max()};
  for (const SectionRecord& r : records) {
    for (const std::uint64_t bound : {std::uint64_t{r.rawStart}, std::uint64_t{r.rawEnd}}) {
      probes.push_back(bound - 1);  // 0 - 1 wraps to the 64-bit maximum: also a probe
      probes.push_back(bound);
      probes.push_back(bound + 1);
    }
  }
  return probes;
}

// Checks the lookup against FirstHolder at every probe and stops at the first
// difference, naming the table and the position.
void ExpectSameAsFirstHolder(const std::vector<SectionRecord>& records,
                             const std::vector<std::uint64_t>& probes) {
  SectionLookup lookup;
  lookup.Build(records);
  EXPECT_LE(lookup.EntryCount(), 2 * records.size() + 1);
  for (const std::uint64_t position : probes) {
    const std::optional<std::uint32_t> expected = FirstHolder(records, position);
    const std::optional<std::uint32_t> found = lookup.Find(position);
    ASSERT_EQ(found, expected) << "position 0x" << std::hex << position << " in "
                               << Describe(records);
  }
}

TEST(SectionLookup, FirstInTableOrderOwnsSharedBytes) {
  // 0: a large section listed first, covering 1 and 2 entirely; 3 holds 0's
  // range and more; 4 nests inside 3 where 0 does not reach.
  const std::vector<SectionRecord> records = {Range(0x100, 0x500), Range(0x200, 0x300),
                                              Range(0x300, 0x400), Range(0x80, 0x800),
                                              Range(0x600, 0x700)};
  SectionLookup lookup;
  lookup.Build(records);
  // A search for the last start at or before the position would pick 2 here.
  EXPECT_EQ(lookup.Find(0x350), 0u);
  EXPECT_EQ(lookup.Find(0x100), 0u);
  EXPECT_EQ(lookup.Find(0x4FF), 0u);
  EXPECT_EQ(lookup.Find(0x500), 3u);
  EXPECT_EQ(lookup.Find(0x80), 3u);
  EXPECT_EQ(lookup.Find(0xFF), 3u);
  EXPECT_EQ(lookup.Find(0x650), 3u);  // 4 comes after 3, which already holds it
  EXPECT_EQ(lookup.Find(0x7FF), 3u);
  EXPECT_EQ(lookup.Find(0x7F), std::nullopt);
  EXPECT_EQ(lookup.Find(0x800), std::nullopt);
  EXPECT_EQ(lookup.Find(0x100000100ull), std::nullopt);

  // Listed the other way round, the nested section wins inside itself and
  // the outer one keeps both sides around it.
  lookup.Build(std::vector<SectionRecord>{Range(0x600, 0x700), Range(0x80, 0x800)});
  EXPECT_EQ(lookup.Find(0x5FF), 1u);
  EXPECT_EQ(lookup.Find(0x600), 0u);
  EXPECT_EQ(lookup.Find(0x6FF), 0u);
  EXPECT_EQ(lookup.Find(0x700), 1u);

  // Empty and wrapped ranges hold nothing, even over a later section, and a
  // duplicate never wins over its first copy. A range may end at 2^32 - 1.
  lookup.Build(std::vector<SectionRecord>{Range(0x10, 0x10), Range(0xFFFFFF00, 0x20),
                                          Range(0x0, 0x40), Range(0x0, 0x40),
                                          Range(0xFFFFFF00, 0xFFFFFFFF)});
  EXPECT_EQ(lookup.Find(0x10), 2u);
  EXPECT_EQ(lookup.Find(0x0), 2u);
  EXPECT_EQ(lookup.Find(0x3F), 2u);
  EXPECT_EQ(lookup.Find(0xFFFFFF00), 4u);
  EXPECT_EQ(lookup.Find(0xFFFFFFFE), 4u);
  EXPECT_EQ(lookup.Find(0xFFFFFFFF), std::nullopt);

  // A new table replaces the old one; no table, or a cleared one, holds nothing.
  lookup.Build(std::vector<SectionRecord>{Range(0x900, 0xA00)});
  EXPECT_EQ(lookup.Find(0x350), std::nullopt);
  EXPECT_EQ(lookup.Find(0x900), 0u);
  lookup.Clear();
  EXPECT_EQ(lookup.Find(0x900), std::nullopt);
  EXPECT_EQ(lookup.EntryCount(), 0u);
  lookup.Build({});
  EXPECT_EQ(lookup.Find(0), std::nullopt);
}

// Thousands of small random tables, drawn so that ranges overlap, nest,
// repeat, touch, are empty or wrap past 2^32, compared with the plain rule at
// every bound and one position either side of it, and at every position of
// the small stretch most ranges fall in.
TEST(SectionLookup, AgreesWithFirstHolderOnRandomTables) {
  std::mt19937 random(19);
  const std::vector<std::uint32_t> starts = {0,  1,  2,  3,          5,          8,
                                             13, 21, 34, 0xFFFFFFF0, 0xFFFFFFFE, 0xFFFFFFFF};
  std::vector<std::uint64_t> stretch;
  for (std::uint64_t p = 0; p < 64; ++p) {
    stretch.push_back(p);
  }
  for (int table = 0; table < 4000; ++table) {
    std::vector<SectionRecord> records(random() % 20);
    for (std::size_t i = 0; i < records.size(); ++i) {
      const auto kind = random() % 10;
      if (kind == 0 && i > 0) {
        records[i] = records[random() % i];  // a duplicate of an earlier record
        continue;
      }
      const std::uint32_t start =
          kind == 1 ? static_cast<std::uint32_t>(random()) : starts[random() % starts.size()];
      // Sizes: mostly small, sometimes none, sometimes past 2^32.
      std::uint32_t size = static_cast<std::uint32_t>(random() % 40);
      if (kind == 2) {
        size = 0;
      } else if (kind == 3) {
        size = 0x20 + static_cast<std::uint32_t>(random());
      }
      records[i] = Range(start, start + size);
    }
    std::vector<std::uint64_t> probes = Probes(records);
    probes.insert(probes.end(), stretch.begin(), stretch.end());
    ExpectSameAsFirstHolder(records, probes);
    if (::testing::Test::HasFatalFailure()) {
      return;
    }
  }
}

// The largest table a PE image can state, of long ranges heaped on one
// another: the lookup stays within 2n + 1 entries (the memory bound) and
// still agrees with the plain rule, here at a sample of its bounds.
TEST(SectionLookup, LargestTableStaysSmallAndAgrees) {
  std::mt19937 random(65535);
  std::vector<SectionRecord> records(65535);
  for (SectionRecord& record : records) {
    const std::uint32_t start = static_cast<std::uint32_t>(random() % 0x4000000);
    record = Range(start, start + static_cast<std::uint32_t>(random() % 0x100000));
  }
  std::vector<std::uint64_t> probes;
  for (int k = 0; k < 300; ++k) {
    const SectionRecord& r = records[random() % records.size()];
    for (const std::uint64_t bound : {std::uint64_t{r.rawStart}, std::uint64_t{r.rawEnd}}) {
      probes.insert(probes.end(), {bound - 1, bound, bound + 1});
    }
  }
  ExpectSameAsFirstHolder(records, probes);
}

}  // namespace
}  // namespace quillex
