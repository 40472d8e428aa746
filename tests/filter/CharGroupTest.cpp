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

std::vector<std::uint8_t> BytesOf(int boxId) {
  const CharGroup* group = FindCharGroup(boxId);
  if (group == nullptr) {
    return {};
  }
  return {group->bytes.begin(), group->bytes.end()};
}

TEST(CharGroup, TableOfGroups) {
  ASSERT_EQ(CharGroups().size(), 43u);
  for (std::size_t i = 0; i < CharGroups().size(); ++i) {
    EXPECT_EQ(CharGroups()[i].boxId, 1024 + static_cast<int>(i));
    EXPECT_EQ(FindCharGroup(1024 + static_cast<int>(i)), &CharGroups()[i]);
  }
  EXPECT_EQ(FindCharGroup(1023), nullptr);
  EXPECT_EQ(FindCharGroup(1067), nullptr);

  using Bytes = std::vector<std::uint8_t>;
  EXPECT_EQ(BytesOf(1024), Bytes{0x0D});
  EXPECT_EQ(BytesOf(1025), Bytes{0x0A});
  EXPECT_EQ(BytesOf(1026), Bytes{0x20});
  EXPECT_EQ(BytesOf(1027), Bytes{0x09});
  for (int k = 0; k <= 14; ++k) {
    EXPECT_EQ(BytesOf(1028 + k), Bytes{static_cast<std::uint8_t>(0x21 + k)}) << k;
  }
  EXPECT_EQ(BytesOf(1043), Range(0x30, 0x39));
  for (int k = 0; k <= 6; ++k) {
    EXPECT_EQ(BytesOf(1044 + k), Bytes{static_cast<std::uint8_t>(0x3A + k)}) << k;
  }
  EXPECT_EQ(BytesOf(1051), Range(0x41, 0x5A));
  for (int k = 0; k <= 5; ++k) {
    EXPECT_EQ(BytesOf(1052 + k), Bytes{static_cast<std::uint8_t>(0x5B + k)}) << k;
  }
  EXPECT_EQ(BytesOf(1058), Range(0x61, 0x7A));
  for (int k = 0; k <= 3; ++k) {
    EXPECT_EQ(BytesOf(1059 + k), Bytes{static_cast<std::uint8_t>(0x7B + k)}) << k;
  }
  EXPECT_EQ(BytesOf(1063), (Bytes{0xC0, 0xC1, 0xC2, 0xC7, 0xC8, 0xC9, 0xCA, 0xCC, 0xCD, 0xCE, 0xD2,
                                  0xD3, 0xD4, 0xD9, 0xDA, 0xDB, 0xDD}));
  EXPECT_EQ(BytesOf(1064), (Bytes{0xE0, 0xE1, 0xE2, 0xE7, 0xE8, 0xE9, 0xEA, 0xEC, 0xED, 0xEE, 0xF2,
                                  0xF3, 0xF4, 0xF9, 0xFA, 0xFB, 0xFD}));
  EXPECT_EQ(BytesOf(1065), (Bytes{0xC4, 0xCB, 0xCF, 0xD6, 0xDC, 0xDF}));
  EXPECT_EQ(BytesOf(1066), (Bytes{0xE4, 0xEB, 0xEF, 0xF6, 0xFC}));

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
  const std::vector<int> expected{1026, 1027, 1028, 1029, 1030, 1031, 1032, 1033, 1034,
                                  1035, 1036, 1037, 1038, 1039, 1040, 1042, 1041, 1043,
                                  1044, 1045, 1046, 1047, 1048, 1049, 1050, 1051, 1052,
                                  1053, 1054, 1056, 1058, 1059, 1060, 1061, 1062};
  EXPECT_EQ(std::vector<int>(DefaultGroupOrder().begin(), DefaultGroupOrder().end()), expected);
}

}  // namespace
}  // namespace quillex
