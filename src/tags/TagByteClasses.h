#pragma once

// Standard library
#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

// Ours
#include "tags/TextChars.h"

namespace quillex {

// The byte classes the tagger's prefilter sums over a text: each tag needs some
// of them (a URL needs ':' and '/', an address '@' and '.'), and a text lacking
// them is not given to that tag's matcher at all. Most texts a scan finds carry
// no tag, so one pass over their bytes settles them.
namespace byteclass {
inline constexpr std::uint16_t kDot = 1u << 0;
inline constexpr std::uint16_t kColon = 1u << 1;
inline constexpr std::uint16_t kSlash = 1u << 2;
inline constexpr std::uint16_t kBackslash = 1u << 3;
inline constexpr std::uint16_t kPercent = 1u << 4;
inline constexpr std::uint16_t kAt = 1u << 5;
inline constexpr std::uint16_t kDash = 1u << 6;
inline constexpr std::uint16_t kDigit = 1u << 7;
inline constexpr std::uint16_t kUpper = 1u << 8;
inline constexpr std::uint16_t kLower = 1u << 9;
inline constexpr std::uint16_t kHexLetter = 1u << 10;  // a-f, A-F
inline constexpr std::uint16_t kPlus = 1u << 11;
inline constexpr std::uint16_t kLetterK = 1u << 12;  // K, k: every hive name has one
inline constexpr std::uint16_t kLetterB = 1u << 13;  // b, B: ".pdb"
inline constexpr std::uint16_t kSpace = 1u << 14;    // ' ': "MSIE 6.0"
}  // namespace byteclass

namespace detail {
constexpr std::uint16_t ClassesOf(char c) {
  using namespace byteclass;
  using namespace tagtext;
  unsigned classes = 0;
  switch (c) {
    case '.':
      classes = kDot;
      break;
    case ':':
      classes = kColon;
      break;
    case '/':
      classes = kSlash;
      break;
    case '\\':
      classes = kBackslash;
      break;
    case '%':
      classes = kPercent;
      break;
    case '@':
      classes = kAt;
      break;
    case '-':
      classes = kDash;
      break;
    case '+':
      classes = kPlus;
      break;
    case ' ':
      classes = kSpace;
      break;
    default:
      break;
  }
  classes |= IsDigit(c) ? kDigit : 0u;
  classes |= IsUpper(c) ? kUpper : 0u;
  classes |= IsLower(c) ? kLower : 0u;
  classes |= IsHex(c) && !IsDigit(c) ? kHexLetter : 0u;
  classes |= c == 'K' || c == 'k' ? kLetterK : 0u;
  classes |= c == 'B' || c == 'b' ? kLetterB : 0u;
  return static_cast<std::uint16_t>(classes);
}

constexpr std::array<std::uint16_t, 256> BuildByteClasses() {
  std::array<std::uint16_t, 256> table{};
  for (std::size_t byte = 0; byte < table.size(); ++byte) {
    table[byte] = ClassesOf(static_cast<char>(static_cast<unsigned char>(byte)));
  }
  return table;
}
}  // namespace detail

// The classes of every byte value.
inline constexpr std::array<std::uint16_t, 256> kByteClasses = detail::BuildByteClasses();

// The union of the classes of the bytes of `text`.
[[nodiscard]] inline std::uint16_t SummarizeBytes(std::string_view text) {
  unsigned classes = 0;
  for (const char c : text) {
    classes |= kByteClasses[static_cast<unsigned char>(c)];
  }
  return static_cast<std::uint16_t>(classes);
}

}  // namespace quillex
