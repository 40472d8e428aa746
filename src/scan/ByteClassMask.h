#pragma once

// Bit masks over 64 bytes for the byte passes: bit k describes byte k.

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "filter/CharClassTable.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#if defined(__x86_64__) || defined(__i386__)
#include <tmmintrin.h>
#define QUILLEX_HAVE_SSSE3_PATH 1
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

// The class table prepared for 64-byte masks: bit k of Mask(p) is set where
// byte p[k] is admitted. Where the processor has SSSE3 the bytes are looked up
// sixteen at a time in two nibble-indexed tables; elsewhere one table load per
// byte is packed eight bytes at a time.
class ByteClassMask {
 public:
  explicit ByteClassMask(const CharClassTable& table) {
    for (unsigned b = 0; b < 256; ++b) {
      flags_[b] = table.Allowed(static_cast<std::uint8_t>(b)) ? 1 : 0;
      if (flags_[b] != 0) {
        const unsigned high = b >> 4;
        auto& rows = high < 8 ? lowRows_ : highRows_;
        rows[b & 15] = static_cast<std::uint8_t>(rows[b & 15] | (1u << (high & 7)));
      }
    }
#if defined(QUILLEX_HAVE_SSSE3_PATH)
    ssse3_ = __builtin_cpu_supports("ssse3") != 0;
#endif
  }

  [[nodiscard]] std::uint64_t Mask(const std::uint8_t* p) const {
#if defined(QUILLEX_HAVE_SSSE3_PATH)
    if (ssse3_) {
      return MaskSsse3(p);
    }
#endif
    return FlagMask(flags_.data(), p);
  }

  // The class table as 0 and 1, so that a flag can be shifted into a mask.
  [[nodiscard]] const std::uint8_t* Flags() const {
    return flags_.data();
  }

 private:
#if defined(QUILLEX_HAVE_SSSE3_PATH)
  // Row l of a table holds, in bit h, the flag of byte (h << 4) | l for the
  // high nibbles 0 to 7 (lowRows_) or 8 to 15 (highRows_).
  __attribute__((target("ssse3"))) std::uint64_t MaskSsse3(const std::uint8_t* p) const {
    const __m128i lowRows = _mm_loadu_si128(reinterpret_cast<const __m128i*>(lowRows_.data()));
    const __m128i highRows = _mm_loadu_si128(reinterpret_cast<const __m128i*>(highRows_.data()));
    const __m128i nibble = _mm_set1_epi8(0x0F);
    const __m128i seven = _mm_set1_epi8(7);
    const __m128i bitOf = _mm_setr_epi8(1, 2, 4, 8, 16, 32, 64, -128, 1, 2, 4, 8, 16, 32, 64, -128);
    std::uint64_t mask = 0;
    for (unsigned j = 0; j < 4; ++j) {
      const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16 * j));
      const __m128i low = _mm_and_si128(v, nibble);
      const __m128i high = _mm_and_si128(_mm_srli_epi16(v, 4), nibble);
      const __m128i isHigh = _mm_cmpgt_epi8(high, seven);
      const __m128i row = _mm_or_si128(_mm_and_si128(isHigh, _mm_shuffle_epi8(highRows, low)),
                                       _mm_andnot_si128(isHigh, _mm_shuffle_epi8(lowRows, low)));
      const __m128i bit = _mm_shuffle_epi8(bitOf, high);
      const __m128i hit = _mm_cmpeq_epi8(_mm_and_si128(row, bit), bit);
      const auto bits = static_cast<std::uint32_t>(_mm_movemask_epi8(hit));
      mask |= std::uint64_t{bits} << (16 * j);
    }
    return mask;
  }
  bool ssse3_ = false;
#endif

  std::array<std::uint8_t, 256> flags_{};
  std::array<std::uint8_t, 16> lowRows_{};
  std::array<std::uint8_t, 16> highRows_{};
};

// Bit k set where p[k] is 0, eight bytes at a time in plain integer
// arithmetic: the high bit of ((w & 0x7F..) + 0x7F..) | w is clear exactly in
// the zero bytes, with no borrow between bytes.
inline std::uint64_t ZeroMaskPortable(const std::uint8_t* p) {
  std::uint64_t mask = 0;
  for (unsigned j = 0; j < 8; ++j) {
    std::uint64_t word;
    std::memcpy(&word, p + 8 * j, sizeof word);
    const std::uint64_t low7 = 0x7F7F7F7F7F7F7F7Full;
    const std::uint64_t nonZero = ((word & low7) + low7) | word;
    mask |= PackByteFlags((~nonZero >> 7) & 0x0101010101010101ull) << (8 * j);
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
  return ZeroMaskPortable(p);
#endif
}

}  // namespace quillex
