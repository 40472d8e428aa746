// The Tags column's text of a tag set and the order a sort by it follows.

// Standard library
#include <algorithm>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

// Ours
#include "tags/TagTable.h"
#include "views/TagsText.h"

namespace quillex {
namespace {

TEST(TagsText, NamesInTheTableOrderJoinedByCommas) {
  EXPECT_EQ(TagsText(0), "");
  EXPECT_EQ(TagsText(TagBit(TagId::Registry)), "registry");
  // A set's bits come out in the table's order, whatever order they were set in.
  EXPECT_EQ(TagsText(TagBit(TagId::Domain) | TagBit(TagId::Url)), "url, domain");
  EXPECT_EQ(TagsText(TagBit(TagId::Pdb) | TagBit(TagId::WindowsPath)), "windows-path, pdb");
  std::string all;
  for (const TagInfo& tag : TagTable()) {
    all += (all.empty() ? "" : ", ") + std::string(tag.name);
  }
  EXPECT_EQ(TagsText(static_cast<TagSet>((1u << kTagCount) - 1)), all);
  // Bits past the table's tags name nothing.
  EXPECT_EQ(TagsText(static_cast<TagSet>(0x8000u | TagBit(TagId::Hash))), "hash");
}

// The ranks order every set as its text sorts: a sort by rank is a sort by
// the column's text, with no set left out and none sharing a place.
TEST(TagsText, RanksFollowTheTextsOfEverySet) {
  const auto ranks = TagsTextRanks();
  ASSERT_EQ(ranks.size(), std::size_t{1} << kTagCount);
  std::vector<std::pair<std::uint16_t, std::string>> byRank;
  for (std::uint32_t set = 0; set < ranks.size(); ++set) {
    byRank.emplace_back(ranks[set], TagsText(static_cast<TagSet>(set)));
  }
  std::sort(byRank.begin(), byRank.end());
  EXPECT_EQ(byRank.front().second, "") << "untagged rows come first";
  EXPECT_EQ(byRank.front().first, 0);
  for (std::size_t k = 1; k < byRank.size(); ++k) {
    // The names are lower case, so folding leaves the plain byte order.
    ASSERT_LT(byRank[k - 1].first, byRank[k].first) << byRank[k].second;
    ASSERT_LT(byRank[k - 1].second, byRank[k].second) << byRank[k].second;
  }
  // A name before the same name with more after it; a comma's set before a
  // longer name that shares its start.
  EXPECT_LT(TagsTextRank(TagBit(TagId::Url)),
            TagsTextRank(TagBit(TagId::Url) | TagBit(TagId::Domain)));
  EXPECT_LT(TagsTextRank(TagBit(TagId::Domain) | TagBit(TagId::Email)),
            TagsTextRank(TagBit(TagId::Email)));
  EXPECT_EQ(TagsTextRank(static_cast<TagSet>(0x8000u | TagBit(TagId::Hash))),
            TagsTextRank(TagBit(TagId::Hash)));
}

}  // namespace
}  // namespace quillex
