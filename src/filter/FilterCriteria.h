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

// Value of a number field's text: unsigned decimal; empty text, a number above
// 4294967295 or anything that is not all digits reads as 0.
[[nodiscard]] std::uint32_t FieldValue(std::string_view text);

// The three numbers a scan uses, worked out from the texts of the "Min text
// length", "Max text length" and repeat-count fields. Afterwards
// 1 <= minLength <= maxLength <= 1024.
struct NormalisedNumbers {
  std::uint32_t minLength = 5;
  std::uint32_t maxLength = kMaxTextLength;
  // NoRepeatLimit when the "Discard strings with" box is off; the field then
  // keeps whatever it shows and is not written back.
  std::uint32_t repeatLimit = NoRepeatLimit;
};

// Reads the three field texts as the Filter page does at every Go: an empty
// or unreadable minimum gives 5, a maximum of 0 or above 1024 gives 1024, the
// minimum is cut down to the maximum, and with the repeat box ticked a count
// below 2 gives 3 and one above the maximum gives the maximum. The repeat
// text is not read while the box is off.
[[nodiscard]] NormalisedNumbers NormaliseCriteriaFields(std::string_view minText,
                                                        std::string_view maxText,
                                                        std::string_view repeatText,
                                                        bool repeatTicked);
// Puts the numbers and the repeat box's state into the criteria.
void SetCriteriaNumbers(FilterCriteria& criteria, const NormalisedNumbers& numbers,
                        bool repeatTicked);

// Full test: length bounds (inclusive), every byte allowed, must-contain.
[[nodiscard]] bool AcceptString(const char* text, const CharClassTable& table,
                                const FilterCriteria& criteria);
// Every byte of mustContain occurs somewhere in the text (when enabled).
[[nodiscard]] bool AcceptMustContain(const char* text, const FilterCriteria& criteria);

// Cuts a field's text to the 63 bytes the criteria keep.
[[nodiscard]] std::string CutCharField(std::string_view text);

// The custom characters after their box or their field changed. The previous
// characters leave the table first, whatever else allowed them (the table
// does not remember why a byte is allowed); then the new text, cut to 63
// bytes, is allowed when `allow` is set and cleared otherwise.
void ReplaceCustomChars(CharClassTable& table, FilterCriteria& criteria, std::string_view text,
                        bool allow);
// The must-contain characters after their field changed. A required
// character must be allowed too, or no string could hold it; the previous
// ones stay allowed, since only an action that clears bytes removes them.
void ReplaceMustContain(CharClassTable& table, FilterCriteria& criteria, std::string_view text);

}  // namespace quillex
