#pragma once

// Standard library
#include <array>
#include <cstdint>

namespace quillex {

// The C locale's case folding, the one the list sorts and searches with:
// A-Z become a-z, every other byte (those of 0x80 and above included) stays
// itself.
inline constexpr std::array<std::uint8_t, 256> kAsciiFold = [] {
  std::array<std::uint8_t, 256> fold{};
  for (std::size_t b = 0; b < fold.size(); ++b) {
    fold[b] = static_cast<std::uint8_t>(b >= 'A' && b <= 'Z' ? b + ('a' - 'A') : b);
  }
  return fold;
}();

[[nodiscard]] inline std::uint8_t FoldAscii(char c) {
  return kAsciiFold[static_cast<unsigned char>(c)];
}

// The case folding of Windows-1252 letters, used by the running text's search
// and by the row filter: A-Z and the accented capitals fold to their
// lower-case byte, every other byte stays itself. Each folded value has at
// most two bytes folding to it (the letter's two cases). The multiplication
// sign (0xD7) and the sharp s (0xDF) have no other case in the code page, and
// neither has the micro sign (0xB5).
inline constexpr std::array<std::uint8_t, 256> kCp1252Fold = [] {
  std::array<std::uint8_t, 256> fold{};
  for (unsigned b = 0; b < 256; ++b) {
    fold[b] = static_cast<std::uint8_t>(b);
  }
  for (unsigned b = 'A'; b <= 'Z'; ++b) {
    fold[b] = static_cast<std::uint8_t>(b + 0x20);
  }
  for (unsigned b = 0xC0; b <= 0xDE; ++b) {
    if (b != 0xD7) {
      fold[b] = static_cast<std::uint8_t>(b + 0x20);
    }
  }
  fold[0x8A] = 0x9A;  // S caron
  fold[0x8C] = 0x9C;  // OE
  fold[0x8E] = 0x9E;  // Z caron
  fold[0x9F] = 0xFF;  // Y diaeresis
  return fold;
}();

[[nodiscard]] inline std::uint8_t FoldCp1252(char c) {
  return kCp1252Fold[static_cast<unsigned char>(c)];
}

}  // namespace quillex
