// The matchers of encoded values and templates: guid, base64, hash and format.

// Standard library
#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string_view>

// Ours
#include "tags/TagByteClasses.h"
#include "tags/TagMatchers.h"
#include "tags/TextChars.h"

namespace quillex {
namespace {

using namespace tagtext;
constexpr std::size_t kNone = std::string_view::npos;

// Whether `text` holds `count` ascending neighbours in a row ("ABCDEF",
// "0123456789abcdef" counts 0-9 and a-f apart): the mark of an alphabet table,
// which random data almost never shows.
bool HasAscendingRun(std::string_view text, std::size_t count) {
  std::size_t run = 1;
  for (std::size_t i = 1; i < text.size(); ++i) {
    run = text[i] == text[i - 1] + 1 ? run + 1 : 1;
    if (run >= count) {
      return true;
    }
  }
  return false;
}

// A GUID's five groups of hex digits, 8-4-4-4-12, at `at`.
bool IsGuidAt(std::string_view text, std::size_t at) {
  static constexpr std::array<std::size_t, 5> kGroups = {8, 4, 4, 4, 12};
  std::size_t i = at;
  for (std::size_t group = 0; group < kGroups.size(); ++group) {
    if (group > 0 && At(text, i++) != '-') {
      return false;
    }
    for (std::size_t n = 0; n < kGroups[group]; ++n) {
      if (!IsHex(At(text, i++))) {
        return false;
      }
    }
  }
  return !IsWord(At(text, i)) && At(text, i) != '-';
}

bool IsBase64Char(char c) {
  return HasClass(c, byteclass::kBase64);
}

// 0 upper case, 1 lower case, 2 digit, 3 '+' or '/'.
int Base64Class(char c) {
  if (IsUpper(c)) {
    return 0;
  }
  if (IsLower(c)) {
    return 1;
  }
  return IsDigit(c) ? 2 : 3;
}

int Base64Value(char c) {
  switch (Base64Class(c)) {
    case 0:
      return c - 'A';
    case 1:
      return c - 'a' + 26;
    case 2:
      return c - '0' + 52;
    default:
      return c == '+' ? 62 : 63;
  }
}

// Whether `run` is a piece of a mangled C++ or Rust symbol: names each written
// as its length and its characters, after an optional 'N' and before an 'E'
// ("N10cmCTestSVN9LogParserE" from type information, "3rsa17h6567c96f6d8cf8dbE"
// with Rust's hash).
bool IsMangledName(std::string_view run) {
  if (run.size() < 4 || run.back() != 'E') {
    return false;
  }
  std::size_t i = run.front() == 'N' ? 1 : 0;
  while (i < run.size() - 1) {
    std::size_t length = 0;
    const std::size_t digits = i;
    while (i < run.size() && IsDigit(run[i]) && length <= run.size()) {
      length = length * 10 + static_cast<std::size_t>(run[i++] - '0');
    }
    if (i == digits || length == 0 || length > run.size() - 1 - i) {
      return false;
    }
    i += length;
  }
  return i == run.size() - 1;
}

// Whether the bytes `data` decodes to are text: printable ASCII with tabs and
// line ends, or UTF-16LE of such text (PowerShell's -EncodedCommand). A name
// that happens to be valid base64 decodes to bytes that are not.
bool DecodesToText(std::string_view data) {
  const auto printable = [](unsigned byte) {
    return (byte >= 0x20 && byte < 0x7F) || byte == '\t' || byte == '\n' || byte == '\r';
  };
  unsigned bits = 0;
  int pending = 0;
  std::size_t count = 0;
  bool ascii = true;
  bool utf16 = true;
  for (const char c : data) {
    bits = ((bits << 6) | static_cast<unsigned>(Base64Value(c))) & 0xFFFFu;
    pending += 6;
    if (pending < 8) {
      continue;
    }
    pending -= 8;
    const unsigned byte = (bits >> pending) & 0xFFu;
    ascii = ascii && printable(byte);
    utf16 = utf16 && (count % 2 == 0 ? printable(byte) : byte == 0);
    ++count;
  }
  return ascii || (utf16 && count >= 8);
}

// How much more likely `data` is a name than random base64, as a log
// likelihood ratio over its changes of class: a name's next character keeps
// the class of the one before far more often (small letters run on, digits
// group), random base64's is drawn from all 64 characters each time. Each
// entry is ln(P_name(next class | class) / n(next class) * 64), for a name
// model of upper case 35% 55% 8% 2% (to upper, lower, digit, symbol), lower
// 12% 80% 6% 2%, digit 30% 25% 43% 2%, symbol 40% 40% 15% 5%; n is the size
// of the class (26, 26, 10, 2).
double NameLikeness(std::string_view data) {
  static constexpr double kRatio[4][4] = {{-0.149, 0.303, -0.669, -0.446},
                                          {-1.220, 0.678, -0.957, -0.446},
                                          {-0.303, -0.486, 1.012, -0.446},
                                          {-0.015, -0.015, -0.041, 0.470}};
  double sum = 0;
  for (std::size_t i = 1; i < data.size(); ++i) {
    sum += kRatio[Base64Class(data[i - 1])][Base64Class(data[i])];
  }
  return sum;
}

// Whether `data` reads as random bytes in base64 rather than a name or a
// table. Measured on random data, the checks below keep about 94% of runs of
// 20 characters and 99% of runs of 64.
bool LooksRandom(std::string_view data) {
  std::array<std::size_t, 4> counts{};
  std::array<std::uint8_t, 64> seen{};
  std::size_t most = 0;
  bool hex = true;
  for (const char c : data) {
    ++counts[static_cast<std::size_t>(Base64Class(c))];
    std::uint8_t& times = seen[static_cast<std::size_t>(Base64Value(c))];
    times = static_cast<std::uint8_t>(std::min(times + 1, 255));
    most = std::max<std::size_t>(most, times);
    hex = hex && IsHex(c);
  }
  const std::size_t distinct =
      static_cast<std::size_t>(std::count_if(seen.begin(), seen.end(), [](auto n) { return n; }));
  // Random characters: about 40% each upper and lower case, ever fewer
  // repeats as the alphabet fills (64 * (1 - (63/64)^n) different ones
  // expected), no character taking a third of the run.
  const double expected = 64.0 * (1.0 - std::pow(63.0 / 64.0, static_cast<double>(data.size())));
  return counts[0] * 8 >= data.size() && counts[1] * 8 >= data.size() &&
         counts[2] + counts[3] > 0 && !hex && static_cast<double>(distinct) >= 0.6 * expected &&
         (most <= 4 || most * 3 < data.size()) && !HasAscendingRun(data, 6) &&
         !IsMangledName(data) && NameLikeness(data) < 0;
}

// Whether `data` (base64 characters without the padding) followed by
// `padding` '=' reads as encoded data rather than a name.
bool IsBase64Data(std::string_view data, std::size_t padding) {
  // Padding fills the last group of four; an encoder leaves the bits that
  // fall into it zero, so "…Q==" and "…E=" can end data, "…R==" cannot.
  if ((data.size() + padding) % 4 != 0 || padding > 2 ||
      (padding == 1 && (Base64Value(data.back()) & 3) != 0) ||
      (padding == 2 && (Base64Value(data.back()) & 15) != 0)) {
    return false;
  }
  // Base64 of text or of random bytes holds letters of both cases; a run in
  // one case ("VVVV...", which decodes to "UUU...") is a name or padding.
  const bool upper = std::any_of(data.begin(), data.end(), IsUpper);
  const bool lower = std::any_of(data.begin(), data.end(), IsLower);
  return upper && lower && (DecodesToText(data) || LooksRandom(data));
}

// Whether the hex digits of `run` look like a digest: one case, both digits
// and letters, at least eight different digits and no alphabet table.
bool IsDigest(std::string_view run) {
  bool upper = false;
  bool lower = false;
  bool digit = false;
  std::uint32_t seen = 0;
  for (const char c : run) {
    upper = upper || IsUpper(c);
    lower = lower || IsLower(c);
    digit = digit || IsDigit(c);
    seen |= 1u << HexValue(c);
  }
  std::size_t distinct = 0;
  for (; seen != 0; seen &= seen - 1) {
    ++distinct;
  }
  return (upper != lower) && digit && distinct >= 8 && !HasAscendingRun(run, 8);
}

constexpr std::string_view kConversions = "diouxXeEfFgGaAcCsSpnZm";

// The length of the printf conversion at `at` (a '%'), or 0: an optional
// Python mapping key "(name)" or position "1$", flags "-+#0'" (no space:
// "100% sure" is prose), a width and a precision (digits or '*'), a length
// (hh h ll l L q j z t I64 I32 I w) and a conversion letter, with no more than
// two letters, digits or underscores straight after it.
std::size_t ConversionLength(std::string_view text, std::size_t at) {
  std::size_t i = at + 1;
  if (At(text, i) == '(') {
    const std::size_t close = text.find(')', i);
    if (close == kNone || close == i + 1) {
      return 0;
    }
    for (std::size_t k = i + 1; k < close; ++k) {
      if (!IsWord(text[k])) {
        return 0;
      }
    }
    i = close + 1;
  } else {
    std::size_t digits = i;
    while (IsDigit(At(text, digits))) {
      ++digits;
    }
    if (digits > i && At(text, digits) == '$') {
      i = digits + 1;
    }
  }
  while (std::string_view("-+#0'").find(At(text, i)) != kNone && At(text, i) != '\0') {
    ++i;
  }
  for (bool precision = false;; precision = true) {
    if (At(text, i) == '*') {
      ++i;
    } else {
      while (IsDigit(At(text, i))) {
        ++i;
      }
    }
    if (precision || At(text, i) != '.') {
      break;
    }
    ++i;
  }
  for (const std::string_view length :
       {"hh", "ll", "I64", "I32", "h", "l", "L", "q", "j", "z", "t", "I", "w"}) {
    if (text.substr(i, length.size()) == length) {
      i += length.size();
      break;
    }
  }
  const char conversion = At(text, i);
  if (conversion == '\0' || kConversions.find(conversion) == kNone) {
    return 0;
  }
  // A name running on from the letter is no conversion: Perl's hashes
  // ("%headers"), ICU's rule sets ("%spellout-ordinal"), symbols ("%lconv",
  // "%ada__exceptions"), registers ("%xmm0"). Two letters may follow ("%dms",
  // "%sKB"), and one '_' before the next conversion ("%s_%d").
  std::size_t run = i + 1;
  while (IsWord(At(text, run))) {
    ++run;
  }
  return run - i > 3 ? 0 : i + 1 - at;
}

// Whether an AT&T register stands at `at` ("%eax", "%esp", "%xmm1",
// "%zmm28"), which would otherwise read as "%e", "%x" or "%zm".
bool IsRegister(std::string_view text, std::size_t at) {
  const std::string_view rest = text.substr(at + 1);
  if (rest.size() >= 4 && rest.substr(1, 2) == "mm" &&
      (rest[0] == 'x' || rest[0] == 'y' || rest[0] == 'z') && IsDigit(rest[3])) {
    return true;
  }
  if (rest.size() < 3 || rest[0] != 'e' || IsWord(At(rest, 3))) {
    return false;
  }
  for (const std::string_view reg : {"ax", "bx", "cx", "dx", "si", "di", "sp", "bp", "ip"}) {
    if (rest.substr(1, 2) == reg) {
      return true;
    }
  }
  return false;
}

// Where the closing '%' of an environment variable "%NAME%" at `at` stands,
// or kNone.
std::size_t VariableClose(std::string_view text, std::size_t at) {
  std::size_t i = at + 1;
  if (!IsAlpha(At(text, i)) && At(text, i) != '_') {
    return kNone;
  }
  // Two letters or digits at least: "%s_%d" is two conversions.
  std::size_t alnum = 0;
  while (IsWord(At(text, i)) || At(text, i) == '(' || At(text, i) == ')') {
    alnum += IsAlnum(text[i]) ? 1 : 0;
    ++i;
  }
  return At(text, i) == '%' && alnum >= 2 ? i : kNone;
}

// Whether the '%' at `at` starts the zone of an IPv6 address
// ("fe80::1%eth0"): it follows hex digits and colons, two of them at least.
bool IsIpv6Zone(std::string_view text, std::size_t at) {
  std::size_t colons = 0;
  std::size_t i = at;
  while (i > 0 && (IsHex(text[i - 1]) || text[i - 1] == ':')) {
    colons += text[--i] == ':' ? 1 : 0;
  }
  return colons >= 2 && IsHex(Before(text, at));
}

}  // namespace

// guid: 8-4-4-4-12 hex digits, with or without braces, not run on into more
// hex digits, letters or hyphens.
bool MatchGuid(std::string_view text, MatchContext&) {
  for (std::size_t i = 0; i + 36 <= text.size(); ++i) {
    const char before = Before(text, i);
    if (IsHex(text[i]) && !IsWord(before) && before != '-' && IsGuidAt(text, i)) {
      return true;
    }
  }
  return false;
}

// base64: a run of 20 characters or more of the base64 alphabet standing
// alone (not joined to '_', '-' or '$', the marks of names, symbols and the
// URL alphabet), at most two '=' after it, a length in whole groups of four with
// canonical padding, letters of both cases, that decodes to text or reads as random bytes
// (LooksRandom: both cases and a digit or symbol, not hex digits alone, few
// repeats, no alphabet table or mangled name, more like random data than a
// name by NameLikeness).
bool MatchBase64(std::string_view text, MatchContext&) {
  std::size_t i = 0;
  while (i < text.size()) {
    if (!IsBase64Char(text[i])) {
      ++i;
      continue;
    }
    const std::size_t start = i;
    while (i < text.size() && IsBase64Char(text[i])) {
      ++i;
    }
    std::size_t padding = 0;
    while (At(text, i + padding) == '=') {
      ++padding;
    }
    // Joined to '_', '-' or '$' the run is part of a name or a symbol.
    const auto joins = [](char c) { return c == '_' || c == '-' || c == '$'; };
    if (i + padding - start >= 20 && !joins(Before(text, start)) && !joins(At(text, i + padding)) &&
        IsBase64Data(text.substr(start, i - start), padding)) {
      return true;
    }
    i += padding;
  }
  return false;
}

// hash: a run of exactly 32, 40 or 64 hex digits (MD5, SHA-1, SHA-256)
// standing alone, as IsDigest has it: one case, digits and letters, at least
// eight different digits (so not all one digit), not an alphabet table, not
// in an LLVM symbol's name.
bool MatchHash(std::string_view text, MatchContext&) {
  constexpr unsigned kHex = byteclass::kDigit | byteclass::kHexLetter;
  std::size_t i = 0;
  while (i < text.size()) {
    if (!IsWord(text[i])) {
      ++i;
      continue;
    }
    // A word of letters, digits and '_': a digest is a whole one.
    const std::size_t start = i;
    bool hex = true;
    for (; i < text.size() && IsWord(text[i]); ++i) {
      hex = hex && HasClass(text[i], kHex);
    }
    const std::size_t length = i - start;
    // LLVM names its anonymous symbols "anon.<32 hex digits>.N": a compiler's
    // name, not a digest anyone looks for.
    if (hex && (length == 32 || length == 40 || length == 64) &&
        !(start >= 5 && text.substr(start - 5, 5) == "anon.") &&
        IsDigest(text.substr(start, length))) {
      return true;
    }
  }
  return false;
}

// format: a printf conversion as ConversionLength reads it ("%s", "%-08.3lf",
// "%I64u", "%(name)s"). "%%" is a percent sign, "%APPDATA%" an environment
// variable whose name is more than a conversion ("%ls%" is a conversion); in
// a text holding "://" the URL escapes "%2F" are not conversions, and neither
// are the zone of an IPv6 address ("fe80::1%eth0"), a register of AT&T
// assembly ("%eax") or a name ("%headers", "%spellout-numbering").
bool MatchFormat(std::string_view text, MatchContext&) {
  const bool url = text.find("://") != kNone;
  for (std::size_t at = text.find('%'); at != kNone; at = text.find('%', at + 1)) {
    if (At(text, at + 1) == '%') {
      ++at;
      continue;
    }
    const std::size_t length = ConversionLength(text, at);
    const std::size_t close = VariableClose(text, at);
    if (close != kNone && at + length != close) {
      at = close;
      continue;
    }
    if (length == 0 || (url && length == 3 && IsHex(text[at + 1]) && IsHex(text[at + 2])) ||
        IsIpv6Zone(text, at) || IsRegister(text, at)) {
      continue;
    }
    return true;
  }
  return false;
}

}  // namespace quillex
