// Standard library
#include <cstdint>
#include <set>
#include <span>
#include <string>

#include <gtest/gtest.h>

// Ours
#include "filter/CharClassTable.h"
#include "filter/CharGroup.h"

namespace quillex {
namespace {

bool InDefaults(int byte) {
  return byte == 0x09 || (byte >= 0x20 && byte <= 0x7E && byte != 0x5E && byte != 0x60);
}

TEST(CharClassTable, DefaultsAllowExactlyTheNinetyFourBytes) {
  CharClassTable table;
  table.RestoreDefaults();
  int allowed = 0;
  for (int byte = 0; byte < 256; ++byte) {
    const bool isAllowed = table.Allowed(static_cast<std::uint8_t>(byte));
    EXPECT_EQ(isAllowed, InDefaults(byte)) << "byte " << byte;
    EXPECT_EQ(table.Data()[byte], isAllowed ? 1 : 0) << "flags hold only 0 and 1";
    allowed += isAllowed ? 1 : 0;
  }
  EXPECT_EQ(allowed, 94);

  // A second RestoreDefaults after edits gives back exactly the same table.
  table.SetBytes("\r\n^`\x7f\xff", 1);
  table.SetGroup(27, 0);
  table.RestoreDefaults();
  for (int byte = 0; byte < 256; ++byte) {
    EXPECT_EQ(table.Allowed(static_cast<std::uint8_t>(byte)), InDefaults(byte)) << byte;
  }
}

TEST(CharClassTable, ClearAllowsNothing) {
  CharClassTable table;
  table.RestoreDefaults();
  table.Clear();
  for (int byte = 0; byte < 256; ++byte) {
    EXPECT_FALSE(table.Allowed(static_cast<std::uint8_t>(byte))) << byte;
  }
  for (int group = 0; group < kGroupCount; ++group) {
    EXPECT_EQ(table.GroupState(group), 0) << group;
  }
}

TEST(CharClassTable, SetBytesNeverAllowsNulAndStopsAtIt) {
  CharClassTable table;
  std::string everything;
  for (int byte = 1; byte < 256; ++byte) {
    everything.push_back(static_cast<char>(byte));
  }
  table.SetBytes(everything.c_str(), 1);
  EXPECT_FALSE(table.Allowed(0));
  for (int byte = 1; byte < 256; ++byte) {
    EXPECT_TRUE(table.Allowed(static_cast<std::uint8_t>(byte))) << byte;
  }

  // The text ends at its first NUL: "b" after it is not touched.
  table.Clear();
  const char withNul[] = "a\0b";
  table.SetBytes(withNul, 1);
  EXPECT_TRUE(table.Allowed('a'));
  EXPECT_FALSE(table.Allowed('b'));

  // An empty text changes nothing; a repeated byte is just set twice; any
  // non-zero flag value stores 1.
  table.SetBytes("", 1);
  table.SetBytes("zz", 7);
  EXPECT_EQ(table.Data()[static_cast<unsigned char>('z')], 1);
  table.SetBytes("a", 0);
  EXPECT_FALSE(table.Allowed('a'));
  EXPECT_TRUE(table.Allowed('z'));
}

TEST(CharClassTable, GroupStateNeedsEveryByteOfTheGroup) {
  CharClassTable table;
  table.SetBytes("Q", 1);
  constexpr int kCapitals = 27;
  EXPECT_EQ(table.GroupState(kCapitals), 0) << "one capital does not tick the capitals group";
  table.SetGroup(kCapitals, 1);
  EXPECT_EQ(table.GroupState(kCapitals), 1);
  table.SetBytes("M", 0);
  EXPECT_EQ(table.GroupState(kCapitals), 0);

  // Every group switches on and off exactly its own bytes.
  for (int group = 0; group < kGroupCount; ++group) {
    table.Clear();
    table.SetGroup(group, 1);
    EXPECT_EQ(table.GroupState(group), 1) << group;
    const std::span<const std::uint8_t> bytes = CharGroupAt(group)->bytes;
    const std::set<std::uint8_t> members(bytes.begin(), bytes.end());
    for (int byte = 0; byte < 256; ++byte) {
      EXPECT_EQ(table.Allowed(static_cast<std::uint8_t>(byte)),
                members.count(static_cast<std::uint8_t>(byte)) == 1)
          << "group " << group << " byte " << byte;
    }
    table.SetGroup(group, 0);
    EXPECT_EQ(table.GroupState(group), 0) << group;
  }

  // Indexes past the groups change nothing and report 0; so do the check
  // box ids the Filter page shows the groups in.
  table.Clear();
  for (const int notAGroup : {-1, 43, 1024, 1051}) {
    table.SetGroup(notAGroup, 1);
    EXPECT_EQ(table.GroupState(notAGroup), 0) << notAGroup;
  }
  for (int byte = 0; byte < 256; ++byte) {
    EXPECT_FALSE(table.Allowed(static_cast<std::uint8_t>(byte)));
  }
}

}  // namespace
}  // namespace quillex
