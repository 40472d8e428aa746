#include "views/RecordRow.h"

// Standard library
#include <charconv>
#include <cstdint>
#include <string>
#include <string_view>

// Ours
#include "tags/TagTable.h"

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

void AppendTagNames(std::string& out, TagSet tags, std::string_view separator) {
  bool first = true;
  for (const TagInfo& tag : TagTable()) {
    if (!HasTag(tags, tag.id)) {
      continue;
    }
    if (!first) {
      out += separator;
    }
    out += tag.name;
    first = false;
  }
}

}  // namespace quillex
