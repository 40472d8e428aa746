// Standard library
#include <string>
#include <vector>

#include <gtest/gtest.h>

// Ours
#include "filter/CharClassTable.h"
#include "filter/CharGroup.h"
#include "filter/GroupSelection.h"

namespace quillex {
namespace {

bool SameTable(const CharClassTable& a, const CharClassTable& b) {
  for (int byte = 0; byte < 256; ++byte) {
    if (a.Allowed(static_cast<std::uint8_t>(byte)) != b.Allowed(static_cast<std::uint8_t>(byte))) {
      return false;
    }
  }
  return true;
}

TEST(GroupSelection, BuildsTheTablesOfThePagesButtons) {
  CharClassTable restored;
  restored.RestoreDefaults();
  CharClassTable built;
  built.SetBytes("\x01\xff", 1);  // whatever was there before goes
  GroupSelection::Defaults().BuildTable(built);
  EXPECT_TRUE(SameTable(built, restored)) << "the defaults are what Restore defaults gives";

  GroupSelection::None().BuildTable(built);
  EXPECT_TRUE(SameTable(built, CharClassTable())) << "none is what Clear gives";

  // Unticking a default box is clicking it off after Restore defaults.
  GroupSelection selection = GroupSelection::Defaults();
  for (const CharGroup& group : CharGroups()) {
    GroupSelection one = selection;
    one.Tick(group.boxId, !selection.IsTicked(group.boxId));
    CharClassTable clicked;
    clicked.RestoreDefaults();
    clicked.SetGroup(group.boxId, one.IsTicked(group.boxId) ? 1 : 0);
    one.BuildTable(built);
    EXPECT_TRUE(SameTable(built, clicked)) << group.name;
    EXPECT_EQ(built.GroupState(group.boxId), one.IsTicked(group.boxId) ? 1 : 0) << group.name;
  }

  selection.Tick(1023, true);
  selection.Tick(1067, true);
  EXPECT_EQ(selection, GroupSelection::Defaults()) << "ids outside the boxes change nothing";
  EXPECT_FALSE(selection.IsTicked(1067));
}

TEST(GroupSelection, NamesAreThePagesLabels) {
  // Every label finds its own group, as written and in capitals.
  for (const CharGroup& group : CharGroups()) {
    EXPECT_EQ(FindGroupByName(group.name), group.boxId) << group.name;
    if (group.boxId != 1051 && group.boxId != 1058) {
      std::string upper(group.name);
      for (char& c : upper) {
        c = c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
      }
      EXPECT_EQ(FindGroupByName(upper), group.boxId) << upper;
    }
  }
  EXPECT_EQ(FindGroupByName("space"), 1026);
  EXPECT_EQ(FindGroupByName("TAB"), 1027);
  EXPECT_EQ(FindGroupByName("&"), 1033);
  EXPECT_EQ(FindGroupByName("0-9"), 1043);
  // An exact match decides between the two letter groups; a mixed case
  // names neither.
  EXPECT_EQ(FindGroupByName("A-Z"), 1051);
  EXPECT_EQ(FindGroupByName("a-z"), 1058);
  EXPECT_EQ(FindGroupByName("A-z"), 0);
  // The words in parentheses, and the characters before them.
  const std::vector<std::pair<std::string, int>> words{
      {"apostrophe", 1034}, {"Comma", 1039},        {"MINUS", 1040}, {"period", 1041},
      {"underscore", 1056}, {"backtick", 1057},     {"tilde", 1062}, {"'", 1034},
      {"-", 1040},          {"` (BACKTICK)", 1057}, {"~", 1062}};
  for (const auto& [name, boxId] : words) {
    EXPECT_EQ(FindGroupByName(name), boxId) << name;
  }
  // Not names: empty text, pieces of a label, spaces around it, accented
  // letters in another case (only ASCII letters fold).
  for (const std::string name :
       {"", "A", "Spac", " space", "(comma)", "comma)", "\xC3\xA0\xC3\xA1\xC3\xA2", "0-9 "}) {
    EXPECT_EQ(FindGroupByName(name), 0) << name;
  }
}

TEST(GroupSelection, CommaSeparatedLists) {
  std::vector<int> boxIds{99};
  std::string bad;
  ASSERT_TRUE(ParseGroupList("A-Z,a-z,comma,space", boxIds, bad));
  EXPECT_EQ(boxIds, (std::vector<int>{1051, 1058, 1039, 1026}));
  ASSERT_TRUE(ParseGroupList("", boxIds, bad));
  EXPECT_TRUE(boxIds.empty());
  ASSERT_TRUE(ParseGroupList("\"", boxIds, bad));
  EXPECT_EQ(boxIds, std::vector<int>{1029});

  EXPECT_FALSE(ParseGroupList("A-Z,bogus,a-z", boxIds, bad));
  EXPECT_EQ(bad, "bogus");
  // An empty item is an error, not skipped: "," alone means the comma group
  // to whoever typed it, and that group is spelt "comma".
  EXPECT_FALSE(ParseGroupList(",", boxIds, bad));
  EXPECT_EQ(bad, "");
  EXPECT_FALSE(ParseGroupList("A-Z,", boxIds, bad));
  EXPECT_FALSE(ParseGroupList("A-Z,,0-9", boxIds, bad));
}

}  // namespace
}  // namespace quillex
