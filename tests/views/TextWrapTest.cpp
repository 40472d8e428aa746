// Standard library
#include <algorithm>
#include <cstddef>
#include <string>
#include <vector>

#include <gtest/gtest.h>

// Ours
#include "views/TextSearch.h"
#include "views/TextWrap.h"

namespace quillex {
namespace {

using Starts = std::vector<std::size_t>;

TEST(TextWrap, LineBreaksAndWrapPlaces) {
  EXPECT_EQ(WrapLines("", 10), Starts{0});
  EXPECT_EQ(WrapLines("first\r\nsecond\nthird\rfourth\r\rsixth", 80),
            (Starts{0, 7, 14, 20, 27, 28}));
  // Spaces hang past the edge; a line wraps after its last space.
  EXPECT_EQ(WrapLines("aaaa bbbb cccc", 9), (Starts{0, 10}));
  EXPECT_EQ(WrapLines("aaaa bbbb    ", 9), (Starts{0}));
  // A word wider than the line is cut at the edge.
  EXPECT_EQ(WrapLines("abcdefghij", 4), (Starts{0, 4, 8}));
  // The pool's NULs separate texts as spaces do.
  EXPECT_EQ(WrapLines(std::string("aaaa\0bbbb\0", 10), 6), (Starts{0, 5}));
  // A tab moves to the next multiple of eight columns.
  EXPECT_EQ(WrapLines("a\tbbbbbbbbb", 12), (Starts{0, 2}));
  EXPECT_EQ(CharColumns('\t', 3), 5u);
  EXPECT_EQ(CharColumns('x', 3), 1u);
  // Zero columns is taken as one rather than looping.
  EXPECT_EQ(WrapLines("abc", 0), (Starts{0, 1, 2}));
}

TEST(TextSearch, IgnoresCaseAndFindsOverlaps) {
  EXPECT_EQ(FindIgnoringCase("xaaa", "aa", 0), 1u);
  EXPECT_EQ(FindIgnoringCase("xaaa", "aa", 2), 2u);
  EXPECT_EQ(FindIgnoringCase("xaaa", "aa", 3), std::nullopt);
  EXPECT_EQ(FindIgnoringCase("abc xabc ABC ", "abc", 1), 5u);
  EXPECT_EQ(FindIgnoringCase("abc xabc ABC ", "abc", 6), 9u);
  // Accented Windows-1252 letters match their other case, in both directions.
  EXPECT_EQ(FindIgnoringCase("caf\xC9", "\xE9", 0), 3u);
  EXPECT_EQ(FindIgnoringCase("\x9A\xFF", "\x8A\x9F", 0), 0u);
  EXPECT_EQ(FindIgnoringCase("\xD7", "\xF7", 0), std::nullopt);
  // A NUL between two pool texts is the space of the running text.
  EXPECT_EQ(FindIgnoringCase(std::string("ab\0cd", 5), "b c", 0), 1u);
  EXPECT_EQ(FindIgnoringCase("abc", "", 0), std::nullopt);
  EXPECT_EQ(FindIgnoringCase("abc", "c", 4), std::nullopt);
}

// The layout and the search of a long text read the flag once a megabyte:
// raised, the layout ends with the lines of its first megabyte, and the
// search finds nothing past it.
TEST(TextWrap, ARaisedFlagEndsLayoutAndSearch) {
  std::string text;
  while (text.size() < (3u << 20)) {
    text += "some words on a line\n";
  }
  text += "needle";
  CancelFlag raised{true};
  CancelFlag down{false};
  const Starts all = WrapLines(text, 80);
  const Starts cut = WrapLines(text, 80, &raised);
  ASSERT_LT(cut.size(), all.size());
  EXPECT_TRUE(std::equal(cut.begin(), cut.end(), all.begin()));
  EXPECT_LE(cut.back(), (1u << 20) + 1);
  EXPECT_EQ(WrapLines(text, 80, &down), all);

  EXPECT_EQ(FindIgnoringCase(text, "NEEDLE", 0), text.size() - 6);
  EXPECT_EQ(FindIgnoringCase(text, "NEEDLE", 0, &down), text.size() - 6);
  EXPECT_EQ(FindIgnoringCase(text, "NEEDLE", 0, &raised), std::nullopt);
  EXPECT_EQ(FindIgnoringCase(text, "words", 0, &raised), 5u) << "found before the first look";
}

}  // namespace
}  // namespace quillex
