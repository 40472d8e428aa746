#include "views/FilterPattern.h"

// Standard library
#include <cstddef>
#include <cstdint>
#include <optional>

// Ours
#include "platform/Cp1252.h"

namespace quillex {

namespace {

// The character at `at` of well-formed UTF-8 and its length in bytes, or a
// length of 0 when the bytes there are not well-formed: the rule by which the
// command line reads the characters of its options.
std::size_t DecodeUtf8At(std::string_view text, std::size_t at, char32_t& c) {
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[at + i]); };
  const unsigned char lead = byte(0);
  if (lead < 0x80) {
    c = lead;
    return 1;
  }
  // The lead byte gives the length, its own bits of the character and the
  // smallest character that needs that length (anything less is overlong).
  const std::size_t length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : 2;
  constexpr char32_t kLeadBits[] = {0, 0, 0x1F, 0x0F, 0x07};
  constexpr char32_t kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
  if (lead < 0xC0 || lead >= 0xF5 || text.size() - at < length) {
    return 0;
  }
  c = lead & kLeadBits[length];
  const char32_t min = kSmallest[length];
  for (std::size_t i = 1; i < length; ++i) {
    if ((byte(i) & 0xC0u) != 0x80u) {
      return 0;
    }
    c = (c << 6) | (byte(i) & 0x3Fu);
  }
  const bool valid = c >= min && c <= 0x10FFFF && (c < 0xD800 || c > 0xDFFF);
  return valid ? length : 0;
}

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
  std::string bytes;
  bytes.reserve(utf8.size());
  for (std::size_t at = 0; at < utf8.size();) {
    char32_t c = 0;
    const std::size_t length = DecodeUtf8At(utf8, at, c);
    if (length == 0) {
      return std::string(utf8);
    }
    const std::optional<std::uint8_t> byte = UnicodeToCp1252(c);
    bytes += static_cast<char>(byte.value_or(0));
    at += length;
  }
  return bytes;
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
