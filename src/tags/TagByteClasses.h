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
inline constexpr std::uint16_t kLetterK = 1u << 12;  // K, k and H, h: every
inline constexpr std::uint16_t kLetterH = 1u << 13;  // hive name has both
inline constexpr std::uint16_t kLetterB = 1u << 14;  // b, B: ".pdb"
// The base64 alphabet (letters, digits, '+', '/'): not a need of any tag but
// what the longest run is counted in.
inline constexpr std::uint16_t kBase64 = 1u << 15;
static_assert(kBase64 == 0x8000, "LongestBase64Run reads kBase64 as the top bit");
inline constexpr std::uint16_t kNeedMask = kBase64 - 1;
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
    default:
      break;
  }
  classes |= IsDigit(c) ? kDigit : 0u;
  classes |= IsUpper(c) ? kUpper : 0u;
  classes |= IsLower(c) ? kLower : 0u;
  classes |= IsHex(c) && !IsDigit(c) ? kHexLetter : 0u;
  classes |= c == 'K' || c == 'k' ? kLetterK : 0u;
  classes |= c == 'H' || c == 'h' ? kLetterH : 0u;
  classes |= c == 'B' || c == 'b' ? kLetterB : 0u;
  classes |= IsAlnum(c) || c == '+' || c == '/' ? kBase64 : 0u;
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
// PERF: one table load per byte into four accumulators, which the compiler
// keeps in registers and interleaves; no branch but the loop's.
[[nodiscard]] inline unsigned SummarizeBytes(std::string_view text) {
  const auto* bytes = reinterpret_cast<const unsigned char*>(text.data());
  const std::size_t size = text.size();
  unsigned a = 0;
  unsigned b = 0;
  unsigned c = 0;
  unsigned d = 0;
  std::size_t i = 0;
  for (; i + 4 <= size; i += 4) {
    a |= kByteClasses[bytes[i]];
    b |= kByteClasses[bytes[i + 1]];
    c |= kByteClasses[bytes[i + 2]];
    d |= kByteClasses[bytes[i + 3]];
  }
  for (; i < size; ++i) {
    a |= kByteClasses[bytes[i]];
  }
  return a | b | c | d;
}

// The longest run of base64 characters in `text`: asked only of texts that
// may carry a tag needing one.
// PERF: without a branch on the bytes, which would be mispredicted at every
// space of a sentence.
[[nodiscard]] inline std::size_t LongestBase64Run(std::string_view text) {
  std::size_t longest = 0;
  std::size_t run = 0;
  for (const char c : text) {
    const std::size_t in = kByteClasses[static_cast<unsigned char>(c)] >> 15;  // kBase64
    run = (run + 1) * in;
    longest = run > longest ? run : longest;
  }
  return longest;
}

// Whether byte `c` is of any of the classes `mask`.
[[nodiscard]] inline bool HasClass(char c, unsigned mask) {
  return (kByteClasses[static_cast<unsigned char>(c)] & mask) != 0;
}

}  // namespace quillex
