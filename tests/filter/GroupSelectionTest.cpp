// Standard library
#include <optional>
#include <string>
#include <string_view>
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
  for (int group = 0; group < kGroupCount; ++group) {
    GroupSelection one = selection;
    one.Tick(group, !selection.IsTicked(group));
    CharClassTable clicked;
    clicked.RestoreDefaults();
    clicked.SetGroup(group, one.IsTicked(group) ? 1 : 0);
    one.BuildTable(built);
    EXPECT_TRUE(SameTable(built, clicked)) << group;
    EXPECT_EQ(built.GroupState(group), one.IsTicked(group) ? 1 : 0) << group;
  }

  selection.Tick(-1, true);
  selection.Tick(43, true);
  EXPECT_EQ(selection, GroupSelection::Defaults()) << "indexes past the groups change nothing";
  EXPECT_FALSE(selection.IsTicked(43));
  EXPECT_FALSE(selection.IsTicked(-1));
}

TEST(GroupSelection, NamesAreThePagesLabels) {
  // Every label finds its own group, as written and in capitals.
  for (int group = 0; group < kGroupCount; ++group) {
    const std::string_view name = CharGroupAt(group)->name;
    EXPECT_EQ(FindGroupByName(name), group) << name;
    if (name != "A-Z" && name != "a-z") {
      std::string upper(name);
      for (char& c : upper) {
        c = c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
      }
      EXPECT_EQ(FindGroupByName(upper), group) << upper;
    }
  }
  EXPECT_EQ(FindGroupByName("space"), 2);
  EXPECT_EQ(FindGroupByName("TAB"), 3);
  EXPECT_EQ(FindGroupByName("&"), 9);
  EXPECT_EQ(FindGroupByName("0-9"), 19);
  // An exact match decides between the two letter groups; a mixed case
  // names neither.
  EXPECT_EQ(FindGroupByName("A-Z"), 27);
  EXPECT_EQ(FindGroupByName("a-z"), 34);
  EXPECT_EQ(FindGroupByName("A-z"), std::nullopt);
  // The words in parentheses, and the characters before them.
  const std::vector<std::pair<std::string, int>> words{
      {"apostrophe", 10}, {"Comma", 15},        {"MINUS", 16}, {"period", 17},
      {"underscore", 32}, {"backtick", 33},     {"tilde", 38}, {"'", 10},
      {"-", 16},          {"` (BACKTICK)", 33}, {"~", 38}};
  for (const auto& [name, group] : words) {
    EXPECT_EQ(FindGroupByName(name), group) << name;
  }
  // Not names: empty text, pieces of a label, spaces around it, accented
  // letters in another case (only ASCII letters fold).
  for (const std::string name :
       {"", "A", "Spac", " space", "(comma)", "comma)", "\xC3\xA0\xC3\xA1\xC3\xA2", "0-9 "}) {
    EXPECT_EQ(FindGroupByName(name), std::nullopt) << name;
  }
}

TEST(GroupSelection, CommaSeparatedLists) {
  std::vector<int> groups{99};
  std::string bad;
  ASSERT_TRUE(ParseGroupList("CR,A-Z,a-z,comma,space", groups, bad));
  EXPECT_EQ(groups, (std::vector<int>{0, 27, 34, 15, 2}));
  ASSERT_TRUE(ParseGroupList("", groups, bad));
  EXPECT_TRUE(groups.empty());
  ASSERT_TRUE(ParseGroupList("\"", groups, bad));
  EXPECT_EQ(groups, std::vector<int>{5});

  EXPECT_FALSE(ParseGroupList("A-Z,bogus,a-z", groups, bad));
  EXPECT_EQ(bad, "bogus");
  // An empty item is an error, not skipped: "," alone means the comma group
  // to whoever typed it, and that group is spelt "comma".
  EXPECT_FALSE(ParseGroupList(",", groups, bad));
  EXPECT_EQ(bad, "");
  EXPECT_FALSE(ParseGroupList("A-Z,", groups, bad));
  EXPECT_FALSE(ParseGroupList("A-Z,,0-9", groups, bad));
}

}  // namespace
}  // namespace quillex
