#pragma once

// Standard library
#include <string>
#include <string_view>

namespace quillex {

// The one place JSON strings are escaped: quote and backslash get a
// backslash, the control characters below 0x20 their short escapes (\n, \r,
// \t) or \u00XX, everything else stays as it is. The functions append the
// inside of a string, without its quotes.

// UTF-8 text (a file name made valid).
void AppendJsonEscaped(std::string& out, std::string_view utf8);
// Stored bytes, read as Windows-1252 and written as UTF-8.
void AppendJsonEscapedCp1252(std::string& out, std::string_view bytes);

}  // namespace quillex
