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

void NormaliseLengths(FilterCriteria& criteria, CriteriaFields& fields) {
  std::uint32_t minLength = FieldValue(fields.FieldText(kMinLengthField));
  if (minLength == 0) {
    minLength = 5;
  }
  std::uint32_t maxLength = FieldValue(fields.FieldText(kMaxLengthField));
  if (maxLength == 0 || maxLength > kMaxTextLength) {
    maxLength = kMaxTextLength;
  }
  if (minLength > maxLength) {
    minLength = maxLength;
  }
  criteria.minLength = minLength;
  criteria.maxLength = maxLength;
  fields.SetFieldNumber(kMinLengthField, minLength);
  fields.SetFieldNumber(kMaxLengthField, maxLength);
}

void NormaliseRepeatLimit(FilterCriteria& criteria, CriteriaFields& fields) {
  if (!criteria.repeatDiscard) {
    criteria.repeatLimit = NoRepeatLimit;
    return;
  }
  std::uint32_t limit = FieldValue(fields.FieldText(kRepeatField));
  // A limit below 2 would drop every string; 3 is the page's own default.
  // The replacement is deliberately not held against maxLength.
  if (limit < 2) {
    limit = 3;
  } else if (limit > criteria.maxLength) {
    limit = criteria.maxLength;
  }
  criteria.repeatLimit = limit;
  fields.SetFieldNumber(kRepeatField, limit);
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

}  // namespace quillex
