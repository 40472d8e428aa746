#pragma once

#include <array>
#include <cstdint>
#include <cstring>

#include "views/ResultColumn.h"

namespace quillex {

// The two upper-case hex digits of every byte value, back to back.
inline constexpr std::array<char, 512> kHexPairs = [] {
  constexpr char digits[] = "0123456789ABCDEF";
  std::array<char, 512> pairs{};
  for (unsigned b = 0; b < 256; ++b) {
    pairs[2 * b] = digits[b >> 4];
    pairs[2 * b + 1] = digits[b & 15];
  }
  return pairs;
}();

// The "File pos" and "Mem pos" texts: twelve upper-case hex digits of the low
// 48 bits of `value` (fixed width, so that the texts sort as the numbers do)
// and a NUL. Writes 13 bytes and returns 12. Higher bits are dropped.
inline std::uint32_t FormatHex48(char* buffer, std::uint64_t value) {
  for (unsigned k = 0; k < 6; ++k) {
    std::memcpy(buffer + 10 - 2 * k, &kHexPairs[2 * ((value >> (8 * k)) & 0xFF)], 2);
  }
  buffer[12] = '\0';
  return 12;
}

// The "ID" text: the decimal digits of `value` and a NUL. Returns the number
// of digits (at most 10).
inline std::uint32_t FormatDecimal(char* buffer, std::uint32_t value) {
  char digits[10];
  std::uint32_t count = 0;
  do {
    digits[count++] = static_cast<char>('0' + value % 10);
    value /= 10;
  } while (value != 0);
  for (std::uint32_t i = 0; i < count; ++i) {
    buffer[i] = digits[count - 1 - i];
  }
  buffer[count] = '\0';
  return count;
}

class ResultStore;
class SectionMap;

// The one place that turns a result into the text of a column. `buffer` is
// the caller's and holds at least kFormatBufferSize bytes. Returns the buffer,
// or for the Text column the pool's own text (valid until the store changes).
// When `lengthOut` is not null it receives the returned text's length.
// Length is the text's length in decimal; Section the name of the section
// that holds the file position (SectionMap::SectionAt), empty where none does.
// Allocates nothing: it runs for every visible cell and twice per comparison.
const char* FormatColumn(const ResultStore& store, const SectionMap& map, char* buffer,
                         std::uint32_t* lengthOut, std::uint32_t index, ResultColumn column);

}  // namespace quillex
