// Standard library
#include <string>

#include <gtest/gtest.h>

// Ours
#include "views/FilterPattern.h"

namespace quillex {
namespace {

using namespace std::string_literals;

TEST(FilterPattern, Utf8BecomesWindows1252AndSyntaxStays) {
  EXPECT_EQ(PatternFromUtf8("caf\xC3\xA9 \xE2\x82\xAC \xC5\xA0"), "caf\xE9 \x80 \x8A");
  EXPECT_EQ(PatternFromUtf8("^(\xC3\xA9|x)+[\xC3\x80-\xC3\x9E]$"), "^(\xE9|x)+[\xC0-\xDE]$");
  // A character the code page lacks becomes a NUL, in place, so the bytes
  // around it keep their meaning.
  EXPECT_EQ(PatternFromUtf8("a|\xE4\xB8\xAD"), "a|\0"s);
  EXPECT_EQ(PatternFromUtf8("[^\xF0\x9F\x98\x80]x"), "[^\0]x"s);
  // Bytes that are not UTF-8 are taken as Windows-1252 already.
  EXPECT_EQ(PatternFromUtf8("\xE9t\xE9"), "\xE9t\xE9");
  EXPECT_EQ(PatternFromUtf8("ok\xC3"), "ok\xC3");
  EXPECT_EQ(PatternFromUtf8("\xC0\xAF"), "\xC0\xAF") << "an overlong form is not UTF-8";
  EXPECT_EQ(PatternFromUtf8("\xED\xA0\x80"), "\xED\xA0\x80") << "a surrogate is not UTF-8";
  EXPECT_EQ(PatternFromUtf8("\xF5\x80\x80\x80"), "\xF5\x80\x80\x80") << "beyond U+10FFFF";
  EXPECT_EQ(PatternFromUtf8(""), "");
}

TEST(FilterPattern, CaselessRegexSpellsOutTheLettersLatin1Lacks) {
  // Outside a class a letter becomes a class of its two cases, so a
  // quantifier after it still applies to the letter.
  EXPECT_EQ(CaselessRegex("\x8A+x"), "[\x8A\x9A]+x");
  EXPECT_EQ(CaselessRegex("\x9C\xFF\x8E"), "[\x9C\x8C][\xFF\x9F][\x8E\x9E]");
  // Inside a class both cases join it; a "]" right after "[" or "[^" is a
  // literal and does not end the class.
  EXPECT_EQ(CaselessRegex("[a\x9A]\x9A"), "[a\x9A\x8A][\x9A\x8A]");
  EXPECT_EQ(CaselessRegex("[]\x8A]"), "[]\x8A\x9A]");
  EXPECT_EQ(CaselessRegex("[^]\x8A]"), "[^]\x8A\x9A]");
  EXPECT_EQ(CaselessRegex("[[:alpha:]\x8E]"), "[[:alpha:]\x8E\x9E]");
  // The end of a range stays as written.
  EXPECT_EQ(CaselessRegex("[\x8A-\x8E]"), "[\x8A-\x8E]");
  // Escapes are copied whole: an escaped "[" opens no class.
  EXPECT_EQ(CaselessRegex("\\[\x8A\\]"), "\\[[\x8A\x9A]\\]");
  EXPECT_EQ(CaselessRegex("\\x8A"), "\\x8A");
  // Quoted text leaves the quote for the class.
  EXPECT_EQ(CaselessRegex("\\Qa[\x8A\\E["), "\\Qa[\\E[\x8A\x9A]\\Q\\E[");
  // Everything else is untouched.
  EXPECT_EQ(CaselessRegex("(?i)https?://[^ ]{4,}\xE9$"), "(?i)https?://[^ ]{4,}\xE9$");
  EXPECT_EQ(CaselessRegex("trailing\\"), "trailing\\");
}

}  // namespace
}  // namespace quillex
