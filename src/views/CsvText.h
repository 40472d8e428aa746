#pragma once

// Standard library
#include <string>
#include <string_view>

namespace quillex {

// The one place CSV cells are quoted, as RFC 4180 has it: a cell is put in
// double quotes, with its quotes doubled, only when it holds a comma, a
// quote or a line break, or starts or ends with a space a reader might trim.
//
// With `guard`, a text that starts with "=", "+", "-", "@", a tab or a
// carriage return is written with a "'" before it. A spreadsheet runs such a
// cell as a formula, and texts pulled out of hostile files are exactly where
// "=cmd|' /C calc'!A0" turns up; the quote makes it show as text.

// Whether a spreadsheet would take a cell that starts like `text` for a
// formula.
[[nodiscard]] bool StartsLikeFormula(std::string_view text);

// A cell of UTF-8 text (a file name made valid).
void AppendCsvCell(std::string& out, std::string_view utf8, bool guard);
// A cell of stored bytes, read as Windows-1252 and written as UTF-8.
void AppendCsvCellCp1252(std::string& out, std::string_view bytes, bool guard);

}  // namespace quillex
