#pragma once

// Bit masks over 64 bytes for the byte passes: bit k describes byte k.

#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace quillex {

inline constexpr std::size_t kMaskBytes = 64;

// Eight bytes that are each 0 or 1 become eight bits, byte i giving bit i.
// The multiplier moves byte i's bit to bit 56 + i without any two partial
// products meeting, so no carry disturbs the result.
inline std::uint64_t PackByteFlags(std::uint64_t zeroOrOne) {
  return (zeroOrOne * 0x0102040810204080ull) >> 56;
}

// Bit k set where flags01[p[k]] is 1; the table holds only 0 and 1.
inline std::uint64_t FlagMask(const std::uint8_t* flags01, const std::uint8_t* p) {
  std::uint64_t mask = 0;
  for (unsigned j = 0; j < 8; ++j) {
    const std::uint8_t* q = p + 8 * j;
    const std::uint64_t bytes =
        std::uint64_t{flags01[q[0]]} | (std::uint64_t{flags01[q[1]]} << 8) |
        (std::uint64_t{flags01[q[2]]} << 16) | (std::uint64_t{flags01[q[3]]} << 24) |
        (std::uint64_t{flags01[q[4]]} << 32) | (std::uint64_t{flags01[q[5]]} << 40) |
        (std::uint64_t{flags01[q[6]]} << 48) | (std::uint64_t{flags01[q[7]]} << 56);
    mask |= PackByteFlags(bytes) << (8 * j);
  }
  return mask;
}

// Bit k set where p[k] is 0.
inline std::uint64_t ZeroMask(const std::uint8_t* p) {
#if defined(__SSE2__)
  const __m128i zero = _mm_setzero_si128();
  std::uint64_t mask = 0;
  for (unsigned j = 0; j < 4; ++j) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16 * j));
    const auto bits = static_cast<std::uint32_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(v, zero)));
    mask |= std::uint64_t{bits} << (16 * j);
  }
  return mask;
#else
  std::uint64_t mask = 0;
  for (unsigned j = 0; j < 8; ++j) {
    std::uint64_t word;
    std::memcpy(&word, p + 8 * j, sizeof word);
    // The high bit of each byte is set exactly where the byte is zero.
    const std::uint64_t low7 = 0x7F7F7F7F7F7F7F7Full;
    const std::uint64_t nonZero = ((word & low7) + low7) | word;
    mask |= PackByteFlags((~nonZero >> 7) & 0x0101010101010101ull) << (8 * j);
  }
  return mask;
#endif
}

}  // namespace quillex
