// Standard library
#include <cstdint>
#include <set>
#include <vector>

#include <gtest/gtest.h>

// Ours
#include "filter/CharGroup.h"

namespace quillex {
namespace {

std::vector<std::uint8_t> Range(int first, int last) {
  std::vector<std::uint8_t> bytes;
  for (int b = first; b <= last; ++b) {
    bytes.push_back(static_cast<std::uint8_t>(b));
  }
  return bytes;
}

std::vector<std::uint8_t> BytesOf(int index) {
  const CharGroup* group = CharGroupAt(index);
  if (group == nullptr) {
    return {};
  }
  return {group->bytes.begin(), group->bytes.end()};
}

TEST(CharGroup, TableOfGroups) {
  ASSERT_EQ(CharGroups().size(), 43u);
  for (std::size_t i = 0; i < CharGroups().size(); ++i) {
    EXPECT_EQ(CharGroupAt(static_cast<int>(i)), &CharGroups()[i]);
  }
  EXPECT_EQ(CharGroupAt(-1), nullptr);
  EXPECT_EQ(CharGroupAt(43), nullptr);

  using Bytes = std::vector<std::uint8_t>;
  EXPECT_EQ(BytesOf(0), Bytes{0x0D});
  EXPECT_EQ(BytesOf(1), Bytes{0x0A});
  EXPECT_EQ(BytesOf(2), Bytes{0x20});
  EXPECT_EQ(BytesOf(3), Bytes{0x09});
  for (int k = 0; k <= 14; ++k) {
    EXPECT_EQ(BytesOf(4 + k), Bytes{static_cast<std::uint8_t>(0x21 + k)}) << k;
  }
  EXPECT_EQ(BytesOf(19), Range(0x30, 0x39));
  for (int k = 0; k <= 6; ++k) {
    EXPECT_EQ(BytesOf(20 + k), Bytes{static_cast<std::uint8_t>(0x3A + k)}) << k;
  }
  EXPECT_EQ(BytesOf(27), Range(0x41, 0x5A));
  for (int k = 0; k <= 5; ++k) {
    EXPECT_EQ(BytesOf(28 + k), Bytes{static_cast<std::uint8_t>(0x5B + k)}) << k;
  }
  EXPECT_EQ(BytesOf(34), Range(0x61, 0x7A));
  for (int k = 0; k <= 3; ++k) {
    EXPECT_EQ(BytesOf(35 + k), Bytes{static_cast<std::uint8_t>(0x7B + k)}) << k;
  }
  EXPECT_EQ(BytesOf(39), (Bytes{0xC0, 0xC1, 0xC2, 0xC7, 0xC8, 0xC9, 0xCA, 0xCC, 0xCD, 0xCE, 0xD2,
                                0xD3, 0xD4, 0xD9, 0xDA, 0xDB, 0xDD}));
  EXPECT_EQ(BytesOf(40), (Bytes{0xE0, 0xE1, 0xE2, 0xE7, 0xE8, 0xE9, 0xEA, 0xEC, 0xED, 0xEE, 0xF2,
                                0xF3, 0xF4, 0xF9, 0xFA, 0xFB, 0xFD}));
  EXPECT_EQ(BytesOf(41), (Bytes{0xC4, 0xCB, 0xCF, 0xD6, 0xDC, 0xDF}));
  EXPECT_EQ(BytesOf(42), (Bytes{0xE4, 0xEB, 0xEF, 0xF6, 0xFC}));

  // Disjoint, 143 bytes together, never byte 0.
  std::set<std::uint8_t> seen;
  std::size_t total = 0;
  for (const CharGroup& group : CharGroups()) {
    for (std::uint8_t b : group.bytes) {
      EXPECT_NE(b, 0);
      EXPECT_TRUE(seen.insert(b).second) << "byte " << int{b} << " in two groups";
      ++total;
    }
  }
  EXPECT_EQ(total, 143u);
}

TEST(CharGroup, DefaultOrder) {
  const std::vector<int> expected{2,  3,  4,  5,  6,  7,  8,  9,  10, 11, 12, 13,
                                  14, 15, 16, 18, 17, 19, 20, 21, 22, 23, 24, 25,
                                  26, 27, 28, 29, 30, 32, 34, 35, 36, 37, 38};
  EXPECT_EQ(std::vector<int>(DefaultGroupOrder().begin(), DefaultGroupOrder().end()), expected);
}

}  // namespace
}  // namespace quillex
