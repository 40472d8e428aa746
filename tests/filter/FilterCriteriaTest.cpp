// Standard library
#include <cstdint>
#include <map>
#include <string>

#include <gtest/gtest.h>

// Ours
#include "filter/CharClassTable.h"
#include "filter/FilterCriteria.h"

namespace quillex {
namespace {

// Three number fields held as texts, with a record of which ones were written.
class FakeFields : public CriteriaFields {
 public:
  std::map<int, std::string> texts;
  std::map<int, int> writes;

  std::string FieldText(int fieldId) const override {
    auto it = texts.find(fieldId);
    return it == texts.end() ? std::string() : it->second;
  }
  void SetFieldNumber(int fieldId, std::uint32_t value) override {
    texts[fieldId] = std::to_string(value);
    ++writes[fieldId];
  }
};

struct Lengths {
  std::uint32_t minLength;
  std::uint32_t maxLength;
};

Lengths Normalise(const std::string& minText, const std::string& maxText) {
  FakeFields fields;
  fields.texts[kMinLengthField] = minText;
  fields.texts[kMaxLengthField] = maxText;
  FilterCriteria criteria;
  criteria.minLength = 99;
  criteria.maxLength = 99;
  NormaliseLengths(criteria, fields);
  // The fields always show what the criteria now hold.
  EXPECT_EQ(fields.texts[kMinLengthField], std::to_string(criteria.minLength));
  EXPECT_EQ(fields.texts[kMaxLengthField], std::to_string(criteria.maxLength));
  return {criteria.minLength, criteria.maxLength};
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
  auto limitFor = [](const std::string& text, std::uint32_t maxLength, std::string* shown) {
    FakeFields fields;
    fields.texts[kRepeatField] = text;
    FilterCriteria criteria;
    criteria.maxLength = maxLength;
    criteria.repeatDiscard = true;
    NormaliseRepeatLimit(criteria, fields);
    *shown = fields.texts[kRepeatField];
    return criteria.repeatLimit;
  };
  std::string shown;
  EXPECT_EQ(limitFor("1", 1024, &shown), 3u);
  EXPECT_EQ(shown, "3");
  EXPECT_EQ(limitFor("0", 1024, &shown), 3u);
  EXPECT_EQ(limitFor("", 1024, &shown), 3u);
  EXPECT_EQ(limitFor("2", 1024, &shown), 2u);
  EXPECT_EQ(limitFor("5000", 1024, &shown), 1024u);
  EXPECT_EQ(shown, "1024");
  EXPECT_EQ(limitFor("5000", 40, &shown), 40u);
  EXPECT_EQ(limitFor("1", 2, &shown), 3u) << "the replacement 3 is not held against maxLength";
  EXPECT_EQ(limitFor("40", 40, &shown), 40u);

  // With the box off the limit is off and the field is neither read nor written.
  FakeFields fields;
  fields.texts[kRepeatField] = "junk";
  FilterCriteria criteria;
  criteria.repeatLimit = 7;
  NormaliseRepeatLimit(criteria, fields);
  EXPECT_EQ(criteria.repeatLimit, NoRepeatLimit);
  EXPECT_EQ(fields.texts[kRepeatField], "junk");
  EXPECT_EQ(fields.writes.count(kRepeatField), 0u);
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
