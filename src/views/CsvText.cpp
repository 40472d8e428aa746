#include "views/CsvText.h"

// Standard library
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// Ours
#include "platform/Cp1252.h"
#include "platform/Utf8.h"

namespace quillex {

namespace {

// The characters that decide quoting are all ASCII, so they can be looked
// for in stored bytes before the conversion.
bool NeedsQuotes(std::string_view text) {
  return text.find_first_of(",\"\r\n") != std::string_view::npos ||
         (!text.empty() && (text.front() == ' ' || text.back() == ' '));
}

// Appends the cell, its quotes doubled and each byte above 0x7F converted
// from Windows-1252 when `convert` is set. PERF: runs of bytes that stay as
// they are, most of any text, are copied whole.
void AppendCell(std::string& out, std::string_view text, bool convert, bool guard) {
  // A guarded text starts with no space, so the guard changes nothing about
  // the quoting.
  const bool quote = NeedsQuotes(text);
  if (quote) {
    out += '"';
  }
  if (guard && StartsLikeFormula(text)) {
    out += '\'';
  }
  std::size_t run = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto byte = static_cast<std::uint8_t>(text[i]);
    if (byte != '"' && (byte < 0x80 || !convert)) {
      continue;
    }
    out.append(text.data() + run, i - run);
    if (byte == '"') {
      out += "\"\"";
    } else {
      AppendUtf8(out, Cp1252ToUnicode(byte));
    }
    run = i + 1;
  }
  out.append(text.data() + run, text.size() - run);
  if (quote) {
    out += '"';
  }
}

}  // namespace

bool StartsLikeFormula(std::string_view text) {
  return !text.empty() && std::string_view("=+-@\t\r").find(text.front()) != std::string_view::npos;
}

void AppendCsvCell(std::string& out, std::string_view utf8, bool guard) {
  AppendCell(out, utf8, false, guard);
}

void AppendCsvCellCp1252(std::string& out, std::string_view bytes, bool guard) {
  AppendCell(out, bytes, true, guard);
}

}  // namespace quillex
