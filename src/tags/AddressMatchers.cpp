// The matchers of numeric addresses: ipv4 and ipv6.

// Standard library
#include <array>
#include <cstddef>
#include <string_view>

// Ours
#include "tags/TagMatchers.h"
#include "tags/TextChars.h"

namespace quillex {
namespace {

using namespace tagtext;
constexpr std::size_t kNone = std::string_view::npos;

// Reads four decimal octets joined by dots from `at`: each 0 to 255, without
// leading zeros (inet_aton would read "010" as octal, so nobody writes it).
// Returns the end, or kNone.
std::size_t ReadDottedQuad(std::string_view text, std::size_t at, std::array<int, 4>& octets) {
  for (std::size_t part = 0; part < 4; ++part) {
    if (part > 0) {
      if (At(text, at) != '.') {
        return kNone;
      }
      ++at;
    }
    std::size_t digits = 0;
    int value = 0;
    while (digits < 4 && IsDigit(At(text, at + digits))) {
      value = value * 10 + (text[at + digits] - '0');
      ++digits;
    }
    if (digits == 0 || digits > 3 || value > 255 || (digits > 1 && text[at] == '0')) {
      return kNone;
    }
    octets[part] = value;
    at += digits;
  }
  return at;
}

// Whether the word before `at` (past spaces, '=' and ':') names a version or
// a numbered section: "Version=4.0.0.0", "FileVersion 6.1.0.1", "build
// 1.2.3.4", "Section 21.4.2.1", "See 2.1.17.3".
bool AfterVersionWord(std::string_view text, std::size_t at) {
  std::size_t end = at;
  while (end > 0 && at - end < 3 &&
         (text[end - 1] == ' ' || text[end - 1] == '=' || text[end - 1] == ':')) {
    --end;
  }
  std::size_t start = end;
  while (start > 0 && IsAlpha(text[start - 1])) {
    --start;
  }
  const std::string_view word = text.substr(start, end - start);
  return (word.size() >= 7 && EqualsNoCase(word.substr(word.size() - 7), "version")) ||
         EqualsNoCase(word, "ver") || EqualsNoCase(word, "v") || EqualsNoCase(word, "build") ||
         EqualsNoCase(word, "release") || EqualsNoCase(word, "rev") ||
         EqualsNoCase(word, "section") || EqualsNoCase(word, "chapter") ||
         EqualsNoCase(word, "see");
}

// Whether four octets that read as an address are more likely something else.
// Versions count their first three parts in ones ("1.1.0.14", "2.0.0.5",
// "6.1.2.3"), as few addresses do: of those, only the public resolvers that
// programs check their connection with are kept ("1.1.1.1", "8.8.4.4",
// "9.9.9.9"), and "0.0.0.0". Object identifiers under 2.5 (X.500 attributes,
// "2.5.4.3") and 1.3 ("1.3.101.112") are left out too.
bool LooksLikeVersionOrOid(const std::array<int, 4>& octets) {
  if (octets[0] < 10 && octets[1] < 10 && octets[2] < 10) {
    const bool allEqual =
        octets[0] == octets[1] && octets[1] == octets[2] && octets[2] == octets[3];
    const bool resolver = (octets[0] == 8 && octets[1] == 8 && octets[2] == 4 && octets[3] == 4) ||
                          (octets[0] == 1 && octets[1] == 0 && octets[2] == 0 && octets[3] == 1) ||
                          (octets[0] == 4 && octets[1] == 2 && octets[2] == 2);
    return !allEqual && !resolver;
  }
  return (octets[0] == 2 && octets[1] == 5) || (octets[0] == 1 && octets[1] == 3);
}

// An optional ":port" after an address at `at`: true when there is none or it
// is 1 to 65535; false for a malformed one ("1.2.3.4:99999").
bool PortIsValid(std::string_view text, std::size_t at) {
  if (At(text, at) != ':' || !IsDigit(At(text, at + 1))) {
    return true;
  }
  long value = 0;
  std::size_t i = at + 1;
  for (; IsDigit(At(text, i)) && i - at <= 5; ++i) {
    value = value * 10 + (text[i] - '0');
  }
  return !IsWord(At(text, i)) && value >= 1 && value <= 65535;
}

bool IsIpv6RunChar(char c) {
  return IsHex(c) || c == ':' || c == '.';
}

// The parts of an IPv6 address read so far.
struct Ipv6Shape {
  std::size_t groups = 0;     // an embedded IPv4 address counts as two
  std::size_t hexDigits = 0;  // digits of the groups of hexadecimal
  bool decimal = false;       // a digit 0-9 among them
  bool compressed = false;    // "::" seen
  bool allPairs = true;       // every group two digits long
  bool upper = false;
  bool lower = false;
};

// Reads one group (or the IPv4 address that may end the address) at `at`;
// returns its end, or kNone.
std::size_t ReadIpv6Group(std::string_view run, std::size_t at, Ipv6Shape& shape) {
  std::size_t end = at;
  while (end < run.size() && IsHex(run[end])) {
    shape.upper = shape.upper || IsUpper(run[end]);
    shape.decimal = shape.decimal || IsDigit(run[end]);
    shape.lower = shape.lower || IsLower(run[end]);
    ++end;
  }
  if (end < run.size() && run[end] == '.') {
    std::array<int, 4> octets{};
    if (ReadDottedQuad(run, at, octets) != run.size()) {
      return kNone;
    }
    shape.groups += 2;
    shape.hexDigits += 4;
    shape.decimal = true;
    return run.size();
  }
  if (end == at || end - at > 4) {
    return kNone;
  }
  ++shape.groups;
  shape.hexDigits += end - at;
  shape.allPairs = shape.allPairs && end - at == 2;
  return end;
}

// Whether `run` (hex digits, colons and dots, trimmed) is an IPv6 address.
bool IsIpv6(std::string_view run) {
  Ipv6Shape shape;
  std::size_t i = 0;
  if (run.substr(0, 2) == "::") {
    shape.compressed = true;
    i = 2;
  } else if (At(run, 0) == ':') {
    return false;
  }
  while (i < run.size()) {
    i = ReadIpv6Group(run, i, shape);
    if (i == kNone) {
      return false;
    }
    if (i == run.size()) {
      break;
    }
    if (At(run, i + 1) == ':') {
      if (shape.compressed || At(run, i + 2) == ':') {
        return false;
      }
      shape.compressed = true;
      i += 2;
    } else if (++i == run.size()) {
      return false;
    }
  }
  // Groups of one case only, and a digit somewhere: "Add::Face", "DB::DB"
  // and "aa::bb" are names of code.
  if ((shape.upper && shape.lower) || !shape.decimal) {
    return false;
  }
  if (shape.compressed) {
    // "::1" is the loopback address; otherwise two groups and three digits at
    // least, so that "A::B" and "1::2" stay code and numbers.
    return run == "::1" || (shape.groups >= 2 && shape.groups <= 7 && shape.hexDigits >= 3);
  }
  // Eight groups of two digits are a byte list (an EUI-64, a dump), not an
  // address written out in full.
  return shape.groups == 8 && !shape.allPairs;
}

bool HasColonPair(std::string_view text) {
  for (std::size_t colon = text.find(':'); colon != kNone; colon = text.find(':', colon + 1)) {
    std::size_t next = colon + 1;
    while (next < text.size() && next - colon <= 5 && IsHex(text[next])) {
      ++next;
    }
    if (At(text, next) == ':' && next - colon <= 5) {
      return true;
    }
  }
  return false;
}

}  // namespace

// ipv4: four decimal octets of at most 255 without leading zeros, standing
// alone (no letter, digit or dot on either side, so "1.2.3.4.5" and
// "v1.2.3.4" are not addresses), optionally followed by a port of 1 to 65535.
// Versions are left out where they can be told: after a word such as
// "Version", after "Product/" or "package-", before "-beta", and those that
// LooksLikeVersionOrOid finds, as are object identifiers under 2.5 and 1.3.
bool MatchIpv4(std::string_view text, MatchContext&) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char before = Before(text, i);
    if (!IsDigit(text[i]) || IsWord(before) || before == '.') {
      continue;
    }
    std::array<int, 4> octets{};
    const std::size_t end = ReadDottedQuad(text, i, octets);
    if (end == kNone) {
      continue;
    }
    const char after = At(text, end);
    // "1.2.3.4.5", "10.2.3.4-beta", "Chrome/120.0.0.0" and "text-1.2.5.0"
    // are versions.
    const char next = At(text, end + 1);
    if (IsWord(after) || ((after == '.' || after == '-') && (IsAlnum(next) || next == '%')) ||
        ((before == '/' || before == '-') && IsAlpha(Before(text, i - 1))) ||
        !PortIsValid(text, end) || LooksLikeVersionOrOid(octets) || AfterVersionWord(text, i)) {
      continue;
    }
    return true;
  }
  return false;
}

// ipv6: eight groups of one to four hex digits, or fewer with one "::", the
// last two groups optionally an IPv4 address ("::ffff:192.0.2.1"), standing
// alone or in brackets, optionally with a zone ("fe80::1%eth0"); "::" only in
// brackets. Left out: groups without a single decimal digit,
// groups that mix upper and lower case, compressed forms with one group other
// than "::1" or with fewer than three digits, and eight groups of two digits.
bool MatchIpv6(std::string_view text, MatchContext&) {
  // Every address has "::" or two colons with one to four hex digits
  // between; most texts with a colon ("Error: ...") have neither.
  if (!HasColonPair(text)) {
    return false;
  }
  std::size_t i = 0;
  while (i < text.size()) {
    if (!IsIpv6RunChar(text[i])) {
      ++i;
      continue;
    }
    const std::size_t start = i;
    std::size_t colons = 0;
    for (; i < text.size() && IsIpv6RunChar(text[i]); ++i) {
      colons += text[i] == ':' ? 1 : 0;
    }
    std::size_t end = i;
    // A full stop or a colon of the sentence after the address.
    while (end > start && text[end - 1] == '.') {
      --end;
    }
    if (end - start >= 2 && text[end - 1] == ':' && text[end - 2] != ':') {
      --end;
    }
    if (colons < 2 || IsWord(Before(text, start)) || IsWord(At(text, i))) {
      continue;
    }
    const std::string_view run = text.substr(start, end - start);
    // "::" alone is the unspecified address only in brackets ("[::]:80").
    if (IsIpv6(run) || (run == "::" && Before(text, start) == '[' && At(text, end) == ']')) {
      return true;
    }
  }
  return false;
}

}  // namespace quillex
