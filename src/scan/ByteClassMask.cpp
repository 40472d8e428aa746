#include "scan/ByteClassMask.h"

// Standard library
#include <cstddef>
#include <cstdint>

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#define QUILLEX_HAVE_X86_KERNELS 1
#endif

namespace quillex {

namespace {

template <bool WithZero>
void FillPortable(const std::uint8_t* flags, const std::uint8_t* p, std::size_t chunks,
                  std::uint64_t* admitted, std::uint64_t* zero) {
  for (std::size_t i = 0; i < chunks; ++i, p += kMaskBytes) {
    admitted[i] = FlagMask(flags, p);
    if constexpr (WithZero) {
      zero[i] = ZeroMaskPortable(p);
    }
  }
}

#if defined(QUILLEX_HAVE_X86_KERNELS)

// PERF NOTES: a byte's flag is bit (high nibble & 7) of a row picked by its
// low nibble, from lowRows for bytes below 0x80 and highRows above. A shuffle
// gives 0 wherever its index byte has the top bit set, so shuffling lowRows by
// the byte itself and highRows by the byte with its top bit flipped leaves
// each byte's row in exactly one of the two, and no select is needed. The
// bit within the row comes from a third shuffle by the high nibble.
template <bool WithZero>
__attribute__((target("ssse3"))) void FillSsse3(const std::uint8_t* lowRowsData,
                                                const std::uint8_t* highRowsData,
                                                const std::uint8_t* p, std::size_t chunks,
                                                std::uint64_t* admitted, std::uint64_t* zero) {
  const __m128i lowRows = _mm_load_si128(reinterpret_cast<const __m128i*>(lowRowsData));
  const __m128i highRows = _mm_load_si128(reinterpret_cast<const __m128i*>(highRowsData));
  const __m128i nibble = _mm_set1_epi8(0x0F);
  const __m128i top = _mm_set1_epi8(static_cast<char>(0x80));
  const __m128i none = _mm_setzero_si128();
  const __m128i bitOf = _mm_setr_epi8(1, 2, 4, 8, 16, 32, 64, -128, 1, 2, 4, 8, 16, 32, 64, -128);
  for (std::size_t i = 0; i < chunks; ++i, p += kMaskBytes) {
    std::uint64_t refusedBits = 0;
    std::uint64_t zeroBits = 0;
    for (unsigned j = 0; j < 4; ++j) {
      const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16 * j));
      const __m128i row = _mm_or_si128(_mm_shuffle_epi8(lowRows, v),
                                       _mm_shuffle_epi8(highRows, _mm_xor_si128(v, top)));
      const __m128i bit = _mm_shuffle_epi8(bitOf, _mm_and_si128(_mm_srli_epi16(v, 4), nibble));
      const __m128i refused = _mm_cmpeq_epi8(_mm_and_si128(row, bit), none);
      refusedBits |= std::uint64_t{static_cast<std::uint16_t>(_mm_movemask_epi8(refused))}
                     << (16 * j);
      if constexpr (WithZero) {
        zeroBits |=
            std::uint64_t{static_cast<std::uint16_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(v, none)))}
            << (16 * j);
      }
    }
    admitted[i] = ~refusedBits;
    if constexpr (WithZero) {
      zero[i] = zeroBits;
    }
  }
}

// The same as FillSsse3 over thirty-two bytes at a time; the shuffles work
// within each sixteen-byte lane, so the tables are repeated in both lanes.
template <bool WithZero>
__attribute__((target("avx2"))) void FillAvx2(const std::uint8_t* lowRowsData,
                                              const std::uint8_t* highRowsData,
                                              const std::uint8_t* p, std::size_t chunks,
                                              std::uint64_t* admitted, std::uint64_t* zero) {
  const __m256i lowRows =
      _mm256_broadcastsi128_si256(_mm_load_si128(reinterpret_cast<const __m128i*>(lowRowsData)));
  const __m256i highRows =
      _mm256_broadcastsi128_si256(_mm_load_si128(reinterpret_cast<const __m128i*>(highRowsData)));
  const __m256i nibble = _mm256_set1_epi8(0x0F);
  const __m256i top = _mm256_set1_epi8(static_cast<char>(0x80));
  const __m256i none = _mm256_setzero_si256();
  const __m256i bitOf =
      _mm256_setr_epi8(1, 2, 4, 8, 16, 32, 64, -128, 1, 2, 4, 8, 16, 32, 64, -128, 1, 2, 4, 8, 16,
                       32, 64, -128, 1, 2, 4, 8, 16, 32, 64, -128);
  for (std::size_t i = 0; i < chunks; ++i, p += kMaskBytes) {
    std::uint64_t refusedBits = 0;
    std::uint64_t zeroBits = 0;
    for (unsigned j = 0; j < 2; ++j) {
      const __m256i v = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p + 32 * j));
      const __m256i row = _mm256_or_si256(_mm256_shuffle_epi8(lowRows, v),
                                          _mm256_shuffle_epi8(highRows, _mm256_xor_si256(v, top)));
      const __m256i bit =
          _mm256_shuffle_epi8(bitOf, _mm256_and_si256(_mm256_srli_epi16(v, 4), nibble));
      const __m256i refused = _mm256_cmpeq_epi8(_mm256_and_si256(row, bit), none);
      refusedBits |= std::uint64_t{static_cast<std::uint32_t>(_mm256_movemask_epi8(refused))}
                     << (32 * j);
      if constexpr (WithZero) {
        zeroBits |= std::uint64_t{static_cast<std::uint32_t>(
                        _mm256_movemask_epi8(_mm256_cmpeq_epi8(v, none)))}
                    << (32 * j);
      }
    }
    admitted[i] = ~refusedBits;
    if constexpr (WithZero) {
      zero[i] = zeroBits;
    }
  }
}

#endif

}  // namespace

ByteClassMask::ByteClassMask(const CharClassTable& table) : ByteClassMask(table, BestKernel()) {}

ByteClassMask::ByteClassMask(const CharClassTable& table, MaskKernel kernel) {
  for (unsigned b = 0; b < 256; ++b) {
    flags_[b] = table.Allowed(static_cast<std::uint8_t>(b)) ? 1 : 0;
    if (flags_[b] != 0) {
      const unsigned high = b >> 4;
      auto& rows = high < 8 ? lowRows_ : highRows_;
      rows[b & 15] = static_cast<std::uint8_t>(rows[b & 15] | (1u << (high & 7)));
    }
  }
  kernel_ = Supported(kernel) ? kernel : MaskKernel::Portable;
}

bool ByteClassMask::Supported(MaskKernel kernel) {
  switch (kernel) {
    case MaskKernel::Portable:
      return true;
#if defined(QUILLEX_HAVE_X86_KERNELS)
    case MaskKernel::Ssse3:
      return __builtin_cpu_supports("ssse3") != 0;
    case MaskKernel::Avx2:
      return __builtin_cpu_supports("avx2") != 0;
#endif
    default:
      return false;
  }
}

MaskKernel ByteClassMask::BestKernel() {
  for (MaskKernel kernel : {MaskKernel::Avx2, MaskKernel::Ssse3}) {
    if (Supported(kernel)) {
      return kernel;
    }
  }
  return MaskKernel::Portable;
}

void ByteClassMask::Fill(const std::uint8_t* p, std::size_t chunks, std::uint64_t* admitted,
                         std::uint64_t* zero) const {
  switch (kernel_) {
#if defined(QUILLEX_HAVE_X86_KERNELS)
    case MaskKernel::Avx2:
      if (zero != nullptr) {
        FillAvx2<true>(lowRows_.data(), highRows_.data(), p, chunks, admitted, zero);
      } else {
        FillAvx2<false>(lowRows_.data(), highRows_.data(), p, chunks, admitted, zero);
      }
      return;
    case MaskKernel::Ssse3:
      if (zero != nullptr) {
        FillSsse3<true>(lowRows_.data(), highRows_.data(), p, chunks, admitted, zero);
      } else {
        FillSsse3<false>(lowRows_.data(), highRows_.data(), p, chunks, admitted, zero);
      }
      return;
#endif
    default:
      if (zero != nullptr) {
        FillPortable<true>(flags_.data(), p, chunks, admitted, zero);
      } else {
        FillPortable<false>(flags_.data(), p, chunks, admitted, zero);
      }
      return;
  }
}

}  // namespace quillex
