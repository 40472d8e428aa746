#include "views/RecordRow.h"

// Standard library
#include <charconv>
#include <cstdint>
#include <string>
#include <string_view>

namespace quillex {

std::string_view KindName(StringKind kind) {
  switch (kind) {
    case StringKind::Ansi:
      return "ansi";
    case StringKind::Unicode:
      return "unicode";
    case StringKind::Resource:
      return "resource";
  }
  return "ansi";
}

void AppendDecimal(std::string& out, std::uint64_t value) {
  char digits[24];
  const std::to_chars_result end = std::to_chars(digits, digits + sizeof digits, value);
  out.append(digits, end.ptr);
}

}  // namespace quillex
