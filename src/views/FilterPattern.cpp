#include "views/FilterPattern.h"

// Standard library
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// Ours
#include "platform/Utf8.h"

namespace quillex {

namespace {

// The other case of a letter whose two cases RE2's Latin-1 folding does not
// pair, or 0.
char OtherCp1252Case(char c) {
  switch (static_cast<unsigned char>(c)) {
    case 0x8A:
      return '\x9A';
    case 0x9A:
      return '\x8A';
    case 0x8C:
      return '\x9C';
    case 0x9C:
      return '\x8C';
    case 0x8E:
      return '\x9E';
    case 0x9E:
      return '\x8E';
    case 0x9F:
      return '\xFF';
    case 0xFF:
      return '\x9F';
    default:
      return 0;
  }
}

}  // namespace

std::string PatternFromUtf8(std::string_view utf8) {
  return Utf8ToCp1252(utf8, MissingByte::Nul).value_or(std::string(utf8));
}

std::string CaselessRegex(std::string_view regex) {
  std::string out;
  out.reserve(regex.size() + 8);
  bool inClass = false;
  bool inQuote = false;  // inside \Q...\E, where every byte is a literal
  for (std::size_t i = 0; i < regex.size(); ++i) {
    const char c = regex[i];
    const char other = OtherCp1252Case(c);
    if (inQuote) {
      if (c == '\\' && i + 1 < regex.size() && regex[i + 1] == 'E') {
        inQuote = false;
        out += "\\E";
        ++i;
      } else if (other != 0) {
        // Leaves the quote for the class and opens it again after.
        out += "\\E[";
        out += c;
        out += other;
        out += "]\\Q";
      } else {
        out += c;
      }
      continue;
    }
    if (c == '\\' && i + 1 < regex.size()) {
      // An escape names one character or class; its second byte is never
      // the start of a class or a letter to fold.
      inQuote = !inClass && regex[i + 1] == 'Q';
      out += c;
      out += regex[++i];
      continue;
    }
    if (inClass) {
      const bool rangeEnd =
          (i > 0 && regex[i - 1] == '-') || (i + 1 < regex.size() && regex[i + 1] == '-');
      if (c == ']') {
        inClass = false;
      } else if (c == '[' && i + 1 < regex.size() && regex[i + 1] == ':') {
        // A POSIX class such as [:alpha:] runs to its ":]".
        const std::size_t close = regex.find(":]", i + 2);
        const std::size_t end = close == std::string_view::npos ? regex.size() : close + 2;
        out.append(regex.substr(i, end - i));
        i = end - 1;
        continue;
      }
      out += c;
      if (other != 0 && !rangeEnd) {
        out += other;
      }
      continue;
    }
    if (c == '[') {
      // A "]" right after "[" or "[^" is a literal, not the class's end.
      inClass = true;
      out += c;
      if (i + 1 < regex.size() && regex[i + 1] == '^') {
        out += regex[++i];
      }
      if (i + 1 < regex.size() && regex[i + 1] == ']') {
        out += regex[++i];
      }
    } else if (other != 0) {
      out += '[';
      out += c;
      out += other;
      out += ']';
    } else {
      out += c;
    }
  }
  return out;
}

}  // namespace quillex
