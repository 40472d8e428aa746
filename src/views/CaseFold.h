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

}  // namespace quillex
