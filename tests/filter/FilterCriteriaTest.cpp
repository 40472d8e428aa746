// Standard library
#include <cstdint>
#include <string>

#include <gtest/gtest.h>

// Ours
#include "filter/CharClassTable.h"
#include "filter/FilterCriteria.h"

namespace quillex {
namespace {

struct Lengths {
  std::uint32_t minLength;
  std::uint32_t maxLength;
};

Lengths Normalise(const std::string& minText, const std::string& maxText) {
  // The repeat box is off: its text is never read, junk or not.
  const NormalisedNumbers numbers = NormaliseCriteriaFields(minText, maxText, "junk", false);
  EXPECT_EQ(numbers.repeatLimit, NoRepeatLimit);
  return {numbers.minLength, numbers.maxLength};
}

TEST(FilterCriteria, FieldValue) {
  EXPECT_EQ(FieldValue(""), 0u);
  EXPECT_EQ(FieldValue("0"), 0u);
  EXPECT_EQ(FieldValue("007"), 7u);
  EXPECT_EQ(FieldValue("4294967295"), 4294967295u);
  EXPECT_EQ(FieldValue("4294967296"), 0u);
  EXPECT_EQ(FieldValue("99999999999999999999999"), 0u) << "no wrap-around into a small value";
  EXPECT_EQ(FieldValue("12a"), 0u);
  EXPECT_EQ(FieldValue("-1"), 0u);
  EXPECT_EQ(FieldValue(" 5"), 0u);
}

TEST(FilterCriteria, NormaliseLengths) {
  auto check = [](const std::string& minText, const std::string& maxText, std::uint32_t minLength,
                  std::uint32_t maxLength) {
    const Lengths got = Normalise(minText, maxText);
    EXPECT_EQ(got.minLength, minLength) << minText << " / " << maxText;
    EXPECT_EQ(got.maxLength, maxLength) << minText << " / " << maxText;
  };
  check("5", "1024", 5, 1024);
  check("0", "100", 5, 100);
  check("", "100", 5, 100);
  check("2000", "", 1024, 1024);
  check("5", "1025", 5, 1024);
  check("5", "0", 5, 1024);
  check("7", "3", 3, 3);
  check("1", "1", 1, 1);
  check("4", "4", 4, 4);
  check("5", "4294967296", 5, 1024);
  check("abc", "2", 2, 2);
}

TEST(FilterCriteria, NormaliseRepeatLimit) {
  auto limitFor = [](const std::string& text, const std::string& maxText) {
    return NormaliseCriteriaFields("5", maxText, text, true).repeatLimit;
  };
  EXPECT_EQ(limitFor("1", "1024"), 3u);
  EXPECT_EQ(limitFor("0", "1024"), 3u);
  EXPECT_EQ(limitFor("", "1024"), 3u);
  EXPECT_EQ(limitFor("2", "1024"), 2u);
  EXPECT_EQ(limitFor("5000", "1024"), 1024u);
  EXPECT_EQ(limitFor("5000", "0"), 1024u) << "held against the normalised maximum";
  EXPECT_EQ(limitFor("5000", "40"), 40u);
  EXPECT_EQ(limitFor("1", "2"), 3u) << "the replacement 3 is not held against maxLength";
  EXPECT_EQ(limitFor("40", "40"), 40u);

  // The criteria take the numbers and the box's state; with the box off the
  // limit is off whatever the numbers say.
  FilterCriteria criteria;
  SetCriteriaNumbers(criteria, NormaliseCriteriaFields("7", "3", "9", true), true);
  EXPECT_EQ(criteria.minLength, 3u);
  EXPECT_EQ(criteria.maxLength, 3u);
  EXPECT_TRUE(criteria.repeatDiscard);
  EXPECT_EQ(criteria.repeatLimit, 3u);
  SetCriteriaNumbers(criteria, NormalisedNumbers{4, 9, 6}, false);
  EXPECT_FALSE(criteria.repeatDiscard);
  EXPECT_EQ(criteria.repeatLimit, NoRepeatLimit);
  EXPECT_EQ(criteria.minLength, 4u);
}

TEST(FilterCriteria, AcceptStringBoundsAndBytes) {
  CharClassTable table;
  table.RestoreDefaults();
  FilterCriteria criteria;
  criteria.minLength = 3;
  criteria.maxLength = 5;
  EXPECT_FALSE(AcceptString("ab", table, criteria));
  EXPECT_TRUE(AcceptString("abc", table, criteria));
  EXPECT_TRUE(AcceptString("abcde", table, criteria));
  EXPECT_FALSE(AcceptString("abcdef", table, criteria));
  EXPECT_FALSE(AcceptString("ab^", table, criteria)) << "caret is not a default byte";
  EXPECT_FALSE(AcceptString("ab\xe9", table, criteria));
  EXPECT_FALSE(AcceptString(nullptr, table, criteria));

  table.Clear();
  EXPECT_FALSE(AcceptString("abc", table, criteria));
  EXPECT_FALSE(AcceptString("", table, criteria));

  // Every byte value on its own, against the default table.
  table.RestoreDefaults();
  criteria.minLength = 1;
  for (int byte = 1; byte < 256; ++byte) {
    const char text[2] = {static_cast<char>(byte), '\0'};
    EXPECT_EQ(AcceptString(text, table, criteria), table.Allowed(static_cast<std::uint8_t>(byte)))
        << byte;
  }
}

TEST(FilterCriteria, MustContain) {
  CharClassTable table;
  table.RestoreDefaults();
  FilterCriteria criteria;
  criteria.minLength = 1;
  criteria.mustContain = "E";
  EXPECT_TRUE(AcceptMustContain("eee", criteria)) << "box off: everything passes";

  criteria.mustContainEnabled = true;
  EXPECT_FALSE(AcceptMustContain("eee", criteria)) << "matching is case-sensitive";
  EXPECT_TRUE(AcceptMustContain("xEx", criteria));

  criteria.mustContain = "ee";
  EXPECT_TRUE(AcceptMustContain("one e", criteria)) << "a repeated character is needed once";

  criteria.mustContain = "zab";
  EXPECT_TRUE(AcceptMustContain("b-a-z", criteria)) << "any order, anywhere";
  EXPECT_FALSE(AcceptMustContain("b-a", criteria));
  EXPECT_TRUE(AcceptString("bazaar", table, criteria));
  EXPECT_FALSE(AcceptString("bar", table, criteria)) << "AcceptString applies it too";

  criteria.mustContain.clear();
  EXPECT_TRUE(AcceptMustContain("anything", criteria));
  EXPECT_TRUE(AcceptMustContain("", criteria));
}

TEST(FilterCriteria, CustomAndMustContainCharacters) {
  CharClassTable table;
  table.RestoreDefaults();
  FilterCriteria criteria;

  // New custom characters replace the old ones, even where a group allowed
  // them: "a" goes although a-z is a default group.
  ReplaceCustomChars(table, criteria, "a\xe9", true);
  EXPECT_EQ(criteria.customChars, "a\xe9");
  EXPECT_TRUE(table.Allowed(0xE9));
  ReplaceCustomChars(table, criteria, "^", true);
  EXPECT_FALSE(table.Allowed(0xE9));
  EXPECT_FALSE(table.Allowed('a'));
  EXPECT_TRUE(table.Allowed('^'));
  // The box switched off clears them; the text stays in the criteria.
  ReplaceCustomChars(table, criteria, "^", false);
  EXPECT_FALSE(table.Allowed('^'));
  EXPECT_EQ(criteria.customChars, "^");
  ReplaceCustomChars(table, criteria, std::string(70, '`'), true);
  EXPECT_EQ(criteria.customChars, std::string(63, '`'));

  // Must-contain characters only ever add to the table.
  ReplaceMustContain(table, criteria, "\xfc");
  ReplaceMustContain(table, criteria, "~");
  EXPECT_EQ(criteria.mustContain, "~");
  EXPECT_TRUE(table.Allowed(0xFC)) << "a character deleted from the field stays allowed";
  EXPECT_TRUE(table.Allowed('~'));
  EXPECT_FALSE(table.Allowed(0)) << "byte 0 is never allowed";
}

TEST(FilterCriteria, CutCharField) {
  EXPECT_EQ(CutCharField(""), "");
  EXPECT_EQ(CutCharField("abc"), "abc");
  const std::string sixtyFour(64, 'x');
  EXPECT_EQ(CutCharField(sixtyFour), std::string(63, 'x'));
  EXPECT_EQ(CutCharField(std::string(63, 'y')), std::string(63, 'y'));
  EXPECT_EQ(CutCharField(std::string("ab\0cd", 5)), "ab");
}

}  // namespace
}  // namespace quillex
