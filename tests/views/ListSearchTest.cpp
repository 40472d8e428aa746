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

// The letters of Windows-1252 fold in pairs: A-Z, the accented capitals from
// 0xC0 (the multiplication sign apart) and the four capitals in 0x80-0x9F.
TEST(CaseFold, Cp1252LettersFoldInPairs) {
  for (unsigned b = 0; b < 256; ++b) {
    unsigned expected = b;
    if ((b >= 'A' && b <= 'Z') || (b >= 0xC0 && b <= 0xDE && b != 0xD7)) {
      expected = b + 0x20;
    } else if (b == 0x8A || b == 0x8C || b == 0x8E) {
      expected = b + 0x10;
    } else if (b == 0x9F) {
      expected = 0xFF;
    }
    EXPECT_EQ(kCp1252Fold[b], expected) << b;
    EXPECT_EQ(FoldCp1252(static_cast<char>(b)), expected) << b;
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

// A raised flag ends a search between blocks of rows: the rows found so far
// come back (none, when it was raised before the start); a flag that stays
// down changes nothing.
TEST(ListSearch, ARaisedFlagEndsTheSearch) {
  ResultStore store;
  std::vector<std::uint32_t> rows;
  for (std::uint32_t i = 0; i < 200000; ++i) {
    ASSERT_TRUE(store.AddResult(i, 0, 0, i % 3 == 0 ? "alpha" : "beta", StringKind::Ansi));
    rows.push_back(i);
  }
  const ListSearch alpha("ALPHA");
  CancelFlag raised{true};
  CancelFlag down{false};
  EXPECT_TRUE(alpha.MatchingRows(store, rows, &raised).empty());
  const std::vector<std::uint32_t> all = alpha.MatchingRows(store, rows);
  EXPECT_EQ(all.size(), 66667u);
  EXPECT_EQ(alpha.MatchingRows(store, rows, &down), all);
}

}  // namespace
}  // namespace quillex
