#pragma once

// Standard library
#include <cstdint>
#include <string>
#include <string_view>

// Ours
#include "scan/SectionMap.h"
#include "store/ResultStore.h"
#include "store/StringKind.h"
#include "tags/TagId.h"
#include "views/ResultWriter.h"

namespace quillex {

// One result as the record formats (JSON Lines, CSV) read their fields from
// it. Each of those writers lists its fields once, as a name and a function
// of a RecordRow, so that a field is one line in each writer's list.
struct RecordRow {
  const WriterSource& source;
  std::uint32_t result;
  // The file field as this format writes it, made once per file.
  std::string_view fileField;
  // Guard the text cells a spreadsheet would run as formulas (CSV).
  bool guardFormulas = false;

  [[nodiscard]] StringKind Kind() const { return source.store.Kind(result); }
  [[nodiscard]] std::uint64_t Offset() const { return source.store.Position(result); }
  [[nodiscard]] std::uint64_t Address() const { return source.map.MemoryPosition(Offset()); }
  [[nodiscard]] std::uint16_t Id() const { return source.store.Id(result); }
  // The stored bytes, Windows-1252.
  [[nodiscard]] std::string_view Text() const {
    const char* text = source.store.Text(result);
    return {text != nullptr ? text : "", source.store.TextLength(result)};
  }
  // The name of the PE section whose raw data holds the result's file
  // position, as the header spells it (bytes read as Windows-1252); empty
  // for a file that is not a PE image and a position outside every section.
  [[nodiscard]] std::string_view Section() const {
    const SectionRecord* section = source.map.SectionAt(Offset());
    return section != nullptr ? std::string_view(section->name) : std::string_view();
  }
  // The result's indicator tags; none when the source has no tag for it.
  [[nodiscard]] TagSet Tags() const {
    return result < source.tags.size() ? source.tags[result] : TagSet{0};
  }
};

// How a record field is written: appended to the record being built.
using RecordField = void (*)(const RecordRow& row, std::string& out);

// "ansi", "unicode" or "resource".
[[nodiscard]] std::string_view KindName(StringKind kind);

// The decimal digits of a number.
void AppendDecimal(std::string& out, std::uint64_t value);

// The names of the tags in a set, in the order of the tag table, each
// followed by `separator` but the last: "url;domain".
void AppendTagNames(std::string& out, TagSet tags, std::string_view separator);

}  // namespace quillex
