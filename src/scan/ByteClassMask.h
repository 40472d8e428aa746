#pragma once

// Bit masks over 64-byte chunks for the byte passes: bit k describes byte k.

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "filter/CharClassTable.h"

namespace quillex {

inline constexpr std::size_t kMaskBytes = 64;
// The most chunks whose masks are built in one call: one 16 KiB block.
inline constexpr std::size_t kMaskBatch = 256;

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

// How the masks are computed. The vector kernels give the same bits as the
// portable one; the best one the processor has is chosen once per pass, so the
// choice costs nothing per chunk.
enum class MaskKernel : std::uint8_t {
  Portable,  // one table load per byte, packed eight bytes at a time
  Ssse3,     // sixteen bytes per nibble-table shuffle
  Avx2,      // thirty-two bytes per shuffle
};

// The class table prepared for 64-byte masks.
class ByteClassMask {
 public:
  // Uses the best kernel this processor supports.
  explicit ByteClassMask(const CharClassTable& table);
  // Uses `kernel`, or the portable one when the processor lacks it.
  ByteClassMask(const CharClassTable& table, MaskKernel kernel);

  // Whether this processor can run `kernel`.
  [[nodiscard]] static bool Supported(MaskKernel kernel);
  [[nodiscard]] static MaskKernel BestKernel();
  [[nodiscard]] MaskKernel Kernel() const { return kernel_; }

  // Masks of the `chunks` whole chunks at p. Bit k of
  // admitted[i] is set where byte p[64 i + k] is admitted; when `zero` is not
  // null, bit k of zero[i] is set where that byte is 0.
  void Fill(const std::uint8_t* p, std::size_t chunks, std::uint64_t* admitted,
            std::uint64_t* zero) const;

  // The admitted mask of one chunk.
  [[nodiscard]] std::uint64_t Mask(const std::uint8_t* p) const {
    std::uint64_t mask = 0;
    Fill(p, 1, &mask, nullptr);
    return mask;
  }

  // The admitted mask of the n < 64 bytes at p; no bit at or above n is set.
  [[nodiscard]] std::uint64_t PartialMask(const std::uint8_t* p, std::size_t n) const {
    std::uint64_t mask = 0;
    for (std::size_t k = 0; k < n; ++k) {
      mask |= std::uint64_t{flags_[p[k]]} << k;
    }
    return mask;
  }
  // The zero mask of the n < 64 bytes at p.
  [[nodiscard]] static std::uint64_t PartialZeroMask(const std::uint8_t* p, std::size_t n) {
    std::uint64_t mask = 0;
    for (std::size_t k = 0; k < n; ++k) {
      mask |= std::uint64_t{p[k] == 0} << k;
    }
    return mask;
  }

  // The class table as 0 and 1, so that a flag can be shifted into a mask.
  [[nodiscard]] const std::uint8_t* Flags() const { return flags_.data(); }

 private:
  std::array<std::uint8_t, 256> flags_{};
  // Row l of a table holds, in bit h, the flag of byte (h << 4) | l for the
  // high nibbles 0 to 7 (lowRows_) or 8 to 15 (highRows_).
  alignas(16) std::array<std::uint8_t, 16> lowRows_{};
  alignas(16) std::array<std::uint8_t, 16> highRows_{};
  MaskKernel kernel_ = MaskKernel::Portable;
};

// The block loop of both byte passes: the masks of the block's whole chunks
// are built a batch at a time, in one call, so the kernel runs as one tight
// loop; then onChunk(p, n, admitted, zero, next) is called for each chunk in
// order and last for the partial chunk at the end of the block (n < 64),
// whose masks are built byte by byte. `next` is the admitted mask of the
// following chunk when it is in the same batch, and all ones when it is not
// known. The zero masks are built only when `zeroMasks` is not null (zero is
// 0 otherwise). Both mask arrays hold kMaskBatch entries.
template <class OnChunk>
void ForEachChunk(const ByteClassMask& classes, const std::uint8_t* data, std::size_t size,
                  std::uint64_t* admittedMasks, std::uint64_t* zeroMasks, OnChunk&& onChunk) {
  while (size >= kMaskBytes) {
    const std::size_t chunks = std::min(size / kMaskBytes, kMaskBatch);
    classes.Fill(data, chunks, admittedMasks, zeroMasks);
    for (std::size_t i = 0; i < chunks; ++i) {
      const std::uint64_t next = i + 1 < chunks ? admittedMasks[i + 1] : ~std::uint64_t{0};
      onChunk(data, kMaskBytes, admittedMasks[i], zeroMasks != nullptr ? zeroMasks[i] : 0, next);
      data += kMaskBytes;
    }
    size -= chunks * kMaskBytes;
  }
  if (size != 0) {
    onChunk(data, size, classes.PartialMask(data, size),
            zeroMasks != nullptr ? ByteClassMask::PartialZeroMask(data, size) : 0,
            ~std::uint64_t{0});
  }
}

}  // namespace quillex
