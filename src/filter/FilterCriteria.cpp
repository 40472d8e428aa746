#include "filter/FilterCriteria.h"

// Standard library
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

namespace quillex {

std::uint32_t FieldValue(std::string_view text) {
  std::uint64_t value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') {
      return 0;
    }
    value = value * 10 + static_cast<std::uint64_t>(c - '0');
    if (value > 0xFFFFFFFFu) {
      return 0;
    }
  }
  return static_cast<std::uint32_t>(value);
}

NormalisedNumbers NormaliseCriteriaFields(std::string_view minText, std::string_view maxText,
                                          std::string_view repeatText, bool repeatTicked) {
  NormalisedNumbers numbers;
  numbers.minLength = FieldValue(minText);
  if (numbers.minLength == 0) {
    numbers.minLength = 5;
  }
  numbers.maxLength = FieldValue(maxText);
  if (numbers.maxLength == 0 || numbers.maxLength > kMaxTextLength) {
    numbers.maxLength = kMaxTextLength;
  }
  if (numbers.minLength > numbers.maxLength) {
    numbers.minLength = numbers.maxLength;
  }
  if (!repeatTicked) {
    numbers.repeatLimit = NoRepeatLimit;
    return numbers;
  }
  // A limit below 2 would drop every string; 3 is the page's own default.
  // The replacement is deliberately not held against maxLength.
  std::uint32_t limit = FieldValue(repeatText);
  if (limit < 2) {
    limit = 3;
  } else if (limit > numbers.maxLength) {
    limit = numbers.maxLength;
  }
  numbers.repeatLimit = limit;
  return numbers;
}

void SetCriteriaNumbers(FilterCriteria& criteria, const NormalisedNumbers& numbers,
                        bool repeatTicked) {
  criteria.minLength = numbers.minLength;
  criteria.maxLength = numbers.maxLength;
  criteria.repeatDiscard = repeatTicked;
  criteria.repeatLimit = repeatTicked ? numbers.repeatLimit : NoRepeatLimit;
}

bool AcceptString(const char* text, const CharClassTable& table, const FilterCriteria& criteria) {
  if (text == nullptr) {
    return false;
  }
  const std::size_t length = std::strlen(text);
  if (length < criteria.minLength || length > criteria.maxLength) {
    return false;
  }
  for (std::size_t i = 0; i < length; ++i) {
    if (!table.Allowed(static_cast<std::uint8_t>(text[i]))) {
      return false;
    }
  }
  return AcceptMustContain(text, criteria);
}

bool AcceptMustContain(const char* text, const FilterCriteria& criteria) {
  if (!criteria.mustContainEnabled) {
    return true;
  }
  if (text == nullptr) {
    return criteria.mustContain.empty();
  }
  for (char required : criteria.mustContain) {
    // A NUL inside the field would end it, as it ends any C text.
    if (required == '\0') {
      break;
    }
    if (std::strchr(text, required) == nullptr) {
      return false;
    }
  }
  return true;
}

std::string CutCharField(std::string_view text) {
  // A NUL ends the field's text like it ends any field.
  const std::size_t nul = text.find('\0');
  if (nul != std::string_view::npos) {
    text = text.substr(0, nul);
  }
  return std::string(text.substr(0, kCharFieldLimit));
}

void ReplaceCustomChars(CharClassTable& table, FilterCriteria& criteria, std::string_view text,
                        bool allow) {
  table.SetBytes(criteria.customChars.c_str(), 0);
  criteria.customChars = CutCharField(text);
  table.SetBytes(criteria.customChars.c_str(), allow ? 1 : 0);
}

void ReplaceMustContain(CharClassTable& table, FilterCriteria& criteria, std::string_view text) {
  criteria.mustContain = CutCharField(text);
  table.SetBytes(criteria.mustContain.c_str(), 1);
}

}  // namespace quillex
