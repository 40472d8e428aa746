// Standard library
#include <cstddef>
#include <random>
#include <string>

#include <gtest/gtest.h>

// Ours
#include "views/CaseFold.h"
#include "views/LiteralSearch.h"

namespace quillex {
namespace {

// The first start in `text` where every byte equals (or folds to) the
// pattern's, byte by byte; npos when there is none.
std::size_t NaiveFind(const std::string& text, const std::string& pattern, bool foldCase) {
  for (std::size_t i = 0; i + pattern.size() <= text.size(); ++i) {
    std::size_t k = 0;
    while (k < pattern.size() && (foldCase ? kCp1252Fold[static_cast<unsigned char>(text[i + k])] ==
                                                 kCp1252Fold[static_cast<unsigned char>(pattern[k])]
                                           : text[i + k] == pattern[k])) {
      ++k;
    }
    if (k == pattern.size()) {
      return i;
    }
  }
  return std::string::npos;
}

std::size_t Found(const LiteralSearch& search, const std::string& text) {
  const char* hit = search.Find(text.data(), text.data() + text.size());
  return hit == nullptr ? std::string::npos : static_cast<std::size_t>(hit - text.data());
}

TEST(LiteralSearch, FindsTheFirstOccurrence) {
  const LiteralSearch http("http", true);
  EXPECT_EQ(Found(http, "no match here at all, none"), std::string::npos);
  EXPECT_EQ(Found(http, "xxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxHtTp and http"), 32u);
  EXPECT_EQ(Found(http, "htt"), std::string::npos);
  EXPECT_EQ(Found(LiteralSearch("http", false), "HTTP http"), 5u);
  // The end of the run bounds a match even where bytes follow in memory.
  const std::string text = "0123456789abcdefhttp";
  const LiteralSearch exact("http", false);
  EXPECT_EQ(exact.Find(text.data(), text.data() + text.size() - 1), nullptr);
  EXPECT_EQ(exact.Find(text.data() + 16, text.data() + text.size()), text.data() + 16);
  // An empty pattern is at the start; nothing fits in an empty run.
  EXPECT_EQ(Found(LiteralSearch("", true), "abc"), 0u);
  EXPECT_EQ(Found(LiteralSearch("a", true), ""), std::string::npos);
}

// Random texts over a small alphabet, so that the pattern's ends and partial
// matches come often, at every length around the 16-byte step: the search
// agrees with the byte-by-byte one, exact and folded.
TEST(LiteralSearch, AgreesWithAByteByByteSearch) {
  std::mt19937 random(11);
  const std::string letters = "aAbB\x8A\x9A\xC9\xE9\xFF\x9F";
  for (int round = 0; round < 20000; ++round) {
    std::string text(random() % 48, ' ');
    for (char& c : text) {
      c = letters[random() % letters.size()];
    }
    std::string pattern(1 + random() % 5, ' ');
    for (char& c : pattern) {
      c = letters[random() % letters.size()];
    }
    for (const bool foldCase : {false, true}) {
      EXPECT_EQ(Found(LiteralSearch(pattern, foldCase), text), NaiveFind(text, pattern, foldCase))
          << "text '" << text << "' pattern '" << pattern << "' fold " << foldCase;
    }
  }
}

}  // namespace
}  // namespace quillex
