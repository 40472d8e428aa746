// Standard library
#include <algorithm>
#include <atomic>
#include <cstdint>
#include <numeric>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

// Ours
#include "store/ResultStore.h"
#include "tags/TagId.h"
#include "views/CaseFold.h"
#include "views/FilterPattern.h"
#include "views/FilterTerms.h"
#include "views/RowFilter.h"

namespace quillex {
namespace {

using namespace std::string_literals;
using Texts = std::vector<std::string>;
using Rows = std::vector<std::uint32_t>;

void AddTexts(ResultStore& store, const Texts& texts, StringKind kind = StringKind::Ansi) {
  for (const std::string& text : texts) {
    ASSERT_TRUE(store.AddResult(0, 0, 0, text.c_str(), kind));
  }
}

Rows StoreOrder(const ResultStore& store) {
  Rows rows(store.Count());
  std::iota(rows.begin(), rows.end(), 0u);
  return rows;
}

// The texts of the rows the terms show, in the order shown.
Texts ShownTexts(const ResultStore& store, const FilterTerms& terms) {
  const RowFilter filter(terms);
  EXPECT_TRUE(filter.Ok()) << filter.Error();
  const FilteredRows result = filter.Apply(store, StoreOrder(store));
  EXPECT_EQ(result.status, FilterStatus::Done);
  Texts texts;
  for (const std::uint32_t index : result.shown) {
    texts.emplace_back(store.Text(index));
  }
  return texts;
}

FilterTerms Plain(std::string pattern, bool matchCase = false) {
  FilterTerms terms;
  terms.pattern = std::move(pattern);
  terms.matchCase = matchCase;
  return terms;
}

FilterTerms Regex(std::string pattern, bool matchCase = false) {
  FilterTerms terms = Plain(std::move(pattern), matchCase);
  terms.regex = true;
  return terms;
}

TEST(RowFilter, PlainTextIsFoundAnywhereInTheWholeText) {
  ResultStore store;
  const std::string late = std::string(3000, '.') + "Http";
  AddTexts(store, {"http://a", "xHTTPy", "htt", "p", late, "ht tp", "aaab"});
  EXPECT_EQ(ShownTexts(store, Plain("http")), (Texts{"http://a", "xHTTPy", late}));
  EXPECT_EQ(ShownTexts(store, Plain("http", true)), (Texts{"http://a"}));
  EXPECT_EQ(ShownTexts(store, Plain("Http", true)), (Texts{late}));
  // An overlapping start is not skipped, folded or not; a pattern with no
  // letters is the same either way.
  EXPECT_EQ(ShownTexts(store, Plain("AAB")), (Texts{"aaab"}));
  EXPECT_EQ(ShownTexts(store, Plain("aab", true)), (Texts{"aaab"}));
  EXPECT_EQ(ShownTexts(store, Plain("://")), (Texts{"http://a"}));
  // A match never runs from one text into the next.
  EXPECT_EQ(ShownTexts(store, Plain("ttp")), (Texts{"http://a", "xHTTPy", late}));
}

// Every byte against every byte, for plain text and for a regular expression:
// without "match case" two bytes match exactly when they fold to the same
// letter.
TEST(RowFilter, FoldsWindows1252Letters) {
  ResultStore store;
  for (unsigned b = 1; b < 256; ++b) {
    AddTexts(store, {std::string(1, static_cast<char>(b))});
  }
  const std::string meta = ".^$|?*+()[]{}\\";
  for (unsigned b = 1; b < 256; ++b) {
    const std::string byte(1, static_cast<char>(b));
    const RowFilter plain(Plain(byte));
    const RowFilter exact(Plain(byte, true));
    const RowFilter regex(Regex(meta.find(byte[0]) == std::string::npos ? byte : "\\" + byte));
    ASSERT_TRUE(regex.Ok()) << b << " " << regex.Error();
    for (unsigned c = 1; c < 256; ++c) {
      const bool same = kCp1252Fold[b] == kCp1252Fold[c];
      EXPECT_EQ(plain.Shows(store, c - 1), same) << b << " " << c;
      EXPECT_EQ(regex.Shows(store, c - 1), same) << b << " " << c;
      EXPECT_EQ(exact.Shows(store, c - 1), b == c) << b << " " << c;
    }
  }
  // Inside words, classes and quoted text too.
  store.Clear();
  AddTexts(store, {"caf\xC9", "\x8A\x8C\x8E\x9F", "\x9A\x9C\x9E\xFF", "CAFE"});
  EXPECT_EQ(ShownTexts(store, Plain("\x9A\x9C\x9E\xFF")),
            (Texts{"\x8A\x8C\x8E\x9F", "\x9A\x9C\x9E\xFF"}));
  EXPECT_EQ(ShownTexts(store, Regex("^[\x9A][\x8C]\\Q\x8E\\E\xFF$")),
            (Texts{"\x8A\x8C\x8E\x9F", "\x9A\x9C\x9E\xFF"}));
  EXPECT_EQ(ShownTexts(store, Regex("\x8A+", true)), (Texts{"\x8A\x8C\x8E\x9F"}));
  EXPECT_EQ(ShownTexts(store, Regex("f\xE9$")), (Texts{"caf\xC9"}));
  EXPECT_EQ(ShownTexts(store, Plain("caf\xE9")), (Texts{"caf\xC9"}));
}

TEST(RowFilter, RegularExpressions) {
  ResultStore store;
  const std::string late = std::string(3000, 'x') + " KERNEL32.DLL";
  AddTexts(store, {"see https://example.org/a", "http://ab", "HTTP://abcd", "user32.dll",
                   "a.exe.txt", "SHELL.Exe", late});
  EXPECT_EQ(ShownTexts(store, Regex("https?://[^ ]{4,}", true)),
            (Texts{"see https://example.org/a"}));
  EXPECT_EQ(ShownTexts(store, Regex("https?://[^ ]{4,}")),
            (Texts{"see https://example.org/a", "HTTP://abcd"}));
  EXPECT_EQ(ShownTexts(store, Regex("(?i)\\.(dll|exe)$", true)),
            (Texts{"user32.dll", "SHELL.Exe", late}));
  EXPECT_EQ(ShownTexts(store, Regex("\\.(dll|exe)$", true)), (Texts{"user32.dll"}));
  EXPECT_EQ(ShownTexts(store, Regex("^http")), (Texts{"http://ab", "HTTP://abcd"}));
  // An empty expression matches every text.
  EXPECT_EQ(ShownTexts(store, Regex("")).size(), store.Count());
}

TEST(RowFilter, BadPatternGivesRe2sMessageAndShowsNothing) {
  ResultStore store;
  AddTexts(store, {"(a", "x"});
  const RowFilter missing(Regex("(a"));
  EXPECT_FALSE(missing.Ok());
  EXPECT_EQ(missing.Error(), "missing ): (a");
  EXPECT_FALSE(missing.Shows(store, 0));
  const FilteredRows result = missing.Apply(store, StoreOrder(store));
  EXPECT_EQ(result.status, FilterStatus::BadPattern);
  EXPECT_TRUE(result.shown.empty());
  EXPECT_EQ(RowFilter(Regex("x{2000}")).Error(), "invalid repetition size: {2000}");
  // A code point beyond the code page cannot be named by an escape either.
  EXPECT_FALSE(RowFilter(Regex("\\x{20AC}")).Ok());
  // The same text as plain text is fine.
  EXPECT_EQ(ShownTexts(store, Plain("(a")), (Texts{"(a"}));
}

TEST(RowFilter, KindsAndLengths) {
  ResultStore store;
  AddTexts(store, {"a", "abcd"}, StringKind::Ansi);
  AddTexts(store, {"uni", "unicode"}, StringKind::Unicode);
  AddTexts(store, {"res", std::string(2000, 'r')}, StringKind::Resource);
  FilterTerms terms;
  terms.kinds = KindBit(StringKind::Unicode) | KindBit(StringKind::Resource);
  EXPECT_EQ(ShownTexts(store, terms).size(), 4u);
  terms.kinds = KindBit(StringKind::Ansi);
  EXPECT_EQ(ShownTexts(store, terms), (Texts{"a", "abcd"}));
  terms.kinds = 0;
  EXPECT_EQ(ShownTexts(store, terms), Texts{});

  // Lengths are inclusive and count the whole text.
  terms = FilterTerms{};
  terms.minLength = 3;
  terms.maxLength = 4;
  EXPECT_EQ(ShownTexts(store, terms), (Texts{"abcd", "uni", "res"}));
  terms.minLength = 2000;
  terms.maxLength = kNoMaxLength;
  EXPECT_EQ(ShownTexts(store, terms).size(), 1u);
  terms.minLength = 5;
  terms.maxLength = 4;
  EXPECT_EQ(ShownTexts(store, terms), Texts{});

  // Every part must hold.
  terms = Plain("u");
  terms.kinds = KindBit(StringKind::Unicode);
  terms.maxLength = 3;
  EXPECT_EQ(ShownTexts(store, terms), (Texts{"uni"}));
}

TEST(RowFilter, EmptyTermsShowEveryRowAndOrderIsKept) {
  ResultStore store;
  AddTexts(store, {"zero", "one", "two", "three"});
  EXPECT_FALSE(FilterTerms{}.FiltersAnything());
  EXPECT_TRUE(Plain("x").FiltersAnything());
  FilterTerms tagged;
  tagged.wantedTags = 1;
  EXPECT_TRUE(tagged.FiltersAnything());

  // Rows come back in the order given; an index past the store's end is
  // never shown.
  const Rows rows = {3, 0, 9, 2, 1, 3};
  EXPECT_EQ(RowFilter(FilterTerms{}).Apply(store, rows).shown, (Rows{3, 0, 2, 1, 3}));
  EXPECT_EQ(RowFilter(Plain("o")).Apply(store, rows).shown, (Rows{0, 2, 1}));
  EXPECT_EQ(RowFilter(Regex("e$")).Apply(store, rows).shown, (Rows{3, 1, 3}));
  EXPECT_FALSE(RowFilter(Plain("o")).Shows(store, 9));

  const FilteredRows none = RowFilter(Plain("o")).Apply(ResultStore{}, rows);
  EXPECT_EQ(none.status, FilterStatus::Done);
  EXPECT_TRUE(none.shown.empty());
}

TEST(RowFilter, FilterThatShowsNothing) {
  ResultStore store;
  AddTexts(store, {"alpha", "beta"});
  const FilteredRows result = RowFilter(Plain("zeta")).Apply(store, StoreOrder(store));
  EXPECT_EQ(result.status, FilterStatus::Done);
  EXPECT_TRUE(result.shown.empty());
  // A character the code page lacks matches nothing, as plain text and in a
  // regular expression, where the rest still works.
  const std::string lacking = PatternFromUtf8("a\xE4\xB8\xAD");
  EXPECT_EQ(ShownTexts(store, Plain(lacking)), Texts{});
  EXPECT_EQ(ShownTexts(store, Regex(lacking)), Texts{});
  EXPECT_EQ(ShownTexts(store, Regex(PatternFromUtf8("lpha|\xE4\xB8\xAD"))), (Texts{"alpha"}));
  EXPECT_EQ(ShownTexts(store, Regex(PatternFromUtf8("^[^\xE4\xB8\xAD]eta"))), (Texts{"beta"}));
}

TEST(RowFilter, TagSetsSelectRowsWithAWantedTag) {
  ResultStore store;
  AddTexts(store, {"a", "b", "c", "d"});
  // "d" lies past the array's end, so it has no tags.
  const std::vector<TagSet> tags = {TagBit(TagId::Url), TagBit(TagId::Domain) | TagBit(TagId::Ipv4),
                                    0};
  FilterTerms terms;
  terms.wantedTags = TagBit(TagId::Ipv4);
  FilterRun run;
  run.tagSets = tags;
  const Rows all = StoreOrder(store);
  EXPECT_EQ(RowFilter(terms).Apply(store, all, run).shown, (Rows{1}));
  terms.wantedTags = TagBit(TagId::Url) | TagBit(TagId::Ipv4);
  EXPECT_EQ(RowFilter(terms).Apply(store, all, run).shown, (Rows{0, 1}));
  EXPECT_TRUE(RowFilter(terms).Shows(store, 0, tags));
  EXPECT_FALSE(RowFilter(terms).Shows(store, 3, tags));
  // Without tag sets no result has a tag.
  EXPECT_TRUE(RowFilter(terms).Apply(store, all).shown.empty());
  // Wanting no tag leaves the tags out.
  terms.wantedTags = 0;
  EXPECT_EQ(RowFilter(terms).Apply(store, all, run).shown, all);
}

TEST(RowFilter, CancelledRunReturnsNothingUsable) {
  ResultStore store;
  AddTexts(store, {"alpha", "beta"});
  std::atomic<bool> cancel{true};
  FilterRun run;
  run.cancel = &cancel;
  for (const FilterTerms& terms : {FilterTerms{}, Plain("a"), Regex("a")}) {
    const FilteredRows result = RowFilter(terms).Apply(store, StoreOrder(store), run);
    EXPECT_EQ(result.status, FilterStatus::Cancelled);
    EXPECT_TRUE(result.shown.empty());
  }
  cancel = false;
  EXPECT_EQ(RowFilter(Plain("a")).Apply(store, StoreOrder(store), run).shown, (Rows{0, 1}));
}

// Texts of a few letters, some holding "http" in some case, some of other
// kinds and lengths, as a scan would leave them.
void AddMixedTexts(ResultStore& store, std::uint32_t count) {
  std::mt19937 random(7);
  const std::string letters = "hHtTpPs:/ .xe\x9A\x8A";
  for (std::uint32_t i = 0; i < count; ++i) {
    std::string text;
    const std::size_t length = 1 + random() % 12;
    for (std::size_t k = 0; k < length; ++k) {
      text += letters[random() % letters.size()];
    }
    if (random() % 5 == 0) {
      text.insert(random() % (text.size() + 1), random() % 2 != 0 ? "http" : "HtTp");
    }
    const auto kind = static_cast<StringKind>(random() % 3);
    ASSERT_TRUE(store.AddResult(0, 0, 0, text.c_str(), kind));
  }
}

// However the rows are split among threads and chunks, a run shows exactly
// the rows that Shows() accepts one at a time, in the order given.
TEST(RowFilter, ThreadsAndChunksGiveTheSameRows) {
  FilterTerms kinds;
  kinds.kinds = KindBit(StringKind::Ansi) | KindBit(StringKind::Resource);
  kinds.minLength = 3;
  FilterTerms caseful = Plain("http", true);
  caseful.maxLength = 9;
  const std::vector<FilterTerms> termSets = {
      Plain("http"), caseful, Plain("\x9A"), Plain("p:"), Regex("ht+p[s:/]"), kinds};
  for (const std::uint32_t count : {0u, 1u, 63u, 64u, 65u, 127u, 1001u}) {
    ResultStore store;
    AddMixedTexts(store, count);
    Rows rows = StoreOrder(store);
    std::reverse(rows.begin(), rows.end());
    for (const FilterTerms& terms : termSets) {
      const RowFilter filter(terms);
      Rows expected;
      for (const std::uint32_t index : rows) {
        if (filter.Shows(store, index)) {
          expected.push_back(index);
        }
      }
      for (const unsigned threads : {0u, 1u, 2u, 3u}) {
        for (const std::uint32_t chunk : {1u, 64u, 100u, 1u << 16}) {
          FilterRun run;
          run.threads = threads;
          run.chunkResults = chunk;
          const FilteredRows result = filter.Apply(store, rows, run);
          EXPECT_EQ(result.status, FilterStatus::Done);
          EXPECT_EQ(result.shown, expected) << terms.pattern << " count " << count << " threads "
                                            << threads << " chunk " << chunk;
        }
      }
      if (count == 1001) {
        EXPECT_GT(expected.size(), 10u) << terms.pattern;
        EXPECT_LT(expected.size(), 1001u) << terms.pattern;
      }
    }
  }
}

// Regular expressions whose literals let a run skip most texts: a run shows
// exactly the texts RE2 matches one by one, whether every match needs one
// literal, one of several, or none, with and without "match case".
TEST(RowFilter, RegexRunsAgreeWithRe2TextByText) {
  std::mt19937 random(3);
  const std::vector<std::string> pieces = {"http", "HTTPS",     "://",  ".dll", ".EXE", "x",
                                           " ",    "\xC9t\xE9", "\x8A", "\x9A", "foo",  "bar"};
  ResultStore store;
  for (int i = 0; i < 3000; ++i) {
    std::string text;
    for (std::size_t k = 1 + random() % 5; k > 0; --k) {
      text += pieces[random() % pieces.size()];
    }
    ASSERT_TRUE(store.AddResult(0, 0, 0, text.c_str(), StringKind::Ansi));
  }
  const Rows rows = StoreOrder(store);
  for (const char* pattern :
       {"https?://[^ ]{4,}", "(?i)\\.(dll|exe)$", "foo.*bar", "\xC9T\xC9", "\x8A\x8Ax?",
        "xfoo|barx", "^(http|bar)", "[a-z]+", "HTTP", "(https|foo)(bar|://)"}) {
    for (const bool matchCase : {false, true}) {
      const RowFilter filter(Regex(pattern, matchCase));
      ASSERT_TRUE(filter.Ok()) << pattern << " " << filter.Error();
      Rows expected;
      for (const std::uint32_t index : rows) {
        if (filter.Shows(store, index)) {
          expected.push_back(index);
        }
      }
      FilterRun run;
      run.chunkResults = 100;
      EXPECT_EQ(filter.Apply(store, rows, run).shown, expected) << pattern << " " << matchCase;
      if (!matchCase) {
        EXPECT_GT(expected.size(), 0u) << pattern;
      }
    }
  }
}

}  // namespace
}  // namespace quillex
