#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "filter/CharClassTable.h"

namespace quillex {

inline constexpr std::uint32_t NoRepeatLimit = 0xFFFFFFFFu;
inline constexpr std::uint32_t kMaxTextLength = 1024;
// Texts of the custom and must-contain fields are cut to this many bytes.
inline constexpr std::size_t kCharFieldLimit = 63;

// Control ids of the three number fields the normalisation reads and writes.
inline constexpr int kMinLengthField = 1001;
inline constexpr int kMaxLengthField = 1003;
inline constexpr int kRepeatField = 1072;

struct FilterCriteria {
  std::uint32_t minLength = 5;
  std::uint32_t maxLength = kMaxTextLength;
  bool repeatDiscard = false;
  std::uint32_t repeatLimit = NoRepeatLimit;
  bool customEnabled = false;
  std::string customChars;  // at most kCharFieldLimit bytes, no NUL inside
  bool mustContainEnabled = false;
  std::string mustContain;  // at most kCharFieldLimit bytes, no NUL inside
};

// The three number fields as the normalisation sees them: the Filter page in
// the desktop program, plain values on the command line.
class CriteriaFields {
 public:
  virtual ~CriteriaFields() = default;
  // The text the field shows now.
  [[nodiscard]] virtual std::string FieldText(int fieldId) const = 0;
  // Shows `value` in unsigned decimal.
  virtual void SetFieldNumber(int fieldId, std::uint32_t value) = 0;
};

// Value of a number field's text: unsigned decimal; empty text, a number above
// 4294967295 or anything that is not all digits reads as 0.
[[nodiscard]] std::uint32_t FieldValue(std::string_view text);

void NormaliseLengths(FilterCriteria& criteria, CriteriaFields& fields);
// Uses maxLength, so it always runs right after NormaliseLengths.
void NormaliseRepeatLimit(FilterCriteria& criteria, CriteriaFields& fields);

// Full test: length bounds (inclusive), every byte allowed, must-contain.
[[nodiscard]] bool AcceptString(const char* text, const CharClassTable& table,
                                const FilterCriteria& criteria);
// Every byte of mustContain occurs somewhere in the text (when enabled).
[[nodiscard]] bool AcceptMustContain(const char* text, const FilterCriteria& criteria);

// Cuts a field's text to the 63 bytes the criteria keep.
[[nodiscard]] std::string CutCharField(std::string_view text);

}  // namespace quillex
