// Standard library
#include <cstdint>
#include <string>
#include <vector>

#include <gtest/gtest.h>

// Ours
#include "store/ResultStore.h"
#include "views/CaseFold.h"
#include "views/ListSearch.h"

namespace quillex {
namespace {

TEST(CaseFold, OnlyAsciiLettersFold) {
  for (unsigned b = 0; b < 256; ++b) {
    const bool upper = b >= 'A' && b <= 'Z';
    EXPECT_EQ(kAsciiFold[b], upper ? b + 32 : b) << b;
  }
}

TEST(ListSearch, MatchesIgnoringAsciiCaseOnly) {
  const ListSearch hello("Hello");
  EXPECT_TRUE(hello.Matches("HELLO WORLD"));
  EXPECT_TRUE(hello.Matches("hello"));
  EXPECT_TRUE(hello.Matches("say Hello"));
  EXPECT_FALSE(hello.Matches("hell o"));
  EXPECT_FALSE(hello.Matches("hell"));
  EXPECT_FALSE(hello.Matches(nullptr));
  // Letters from 0x80 on are taken as they are: no accented folding.
  EXPECT_TRUE(ListSearch("\xC9t\xC9").Matches("x\xC9T\xC9y"));
  EXPECT_FALSE(ListSearch("\xC9").Matches("\xE9"));
  // A repeated first byte must not skip an overlapping start.
  EXPECT_TRUE(ListSearch("aab").Matches("aaab"));
  // An empty pattern, or one longer than any searched text, matches nothing.
  EXPECT_FALSE(ListSearch("").Matches("anything"));
  EXPECT_FALSE(
      ListSearch(std::string(kListFindTextBytes + 1, 'a')).Matches(std::string(2000, 'a').c_str()));
}

TEST(ListSearch, OnlyTheFirst1023BytesAreSearched) {
  std::string text(1020, '.');
  text += "needle";  // ends at byte 1026
  EXPECT_FALSE(ListSearch("needle").Matches(text.c_str()));
  EXPECT_TRUE(ListSearch("nee").Matches(text.c_str()));  // ends at byte 1023
  EXPECT_FALSE(ListSearch("need").Matches(text.c_str()));
  const std::string whole(kListFindTextBytes, 'q');
  EXPECT_TRUE(ListSearch(whole).Matches((whole + "tail").c_str()));
}

TEST(ListSearch, MatchingRowsFollowTheDisplayOrder) {
  ResultStore store;
  for (const char* text : {"alpha", "beta", "ALPHABET", "gamma"}) {
    ASSERT_TRUE(store.AddResult(0, 0, 0, text, StringKind::Ansi));
  }
  const ListSearch alpha("alpha");
  const std::vector<std::uint32_t> rows = {3, 2, 1, 0, 7};  // 7: past the store's end
  EXPECT_EQ(alpha.MatchingRows(store, rows), (std::vector<std::uint32_t>{1, 3}));
  EXPECT_TRUE(ListSearch("").MatchingRows(store, rows).empty());
  EXPECT_TRUE(ListSearch("zeta").MatchingRows(store, rows).empty());
}

}  // namespace
}  // namespace quillex
