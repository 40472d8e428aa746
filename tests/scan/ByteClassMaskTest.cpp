#include "scan/ByteClassMask.h"

// Standard library
#include <algorithm>
#include <random>
#include <vector>

// Third party
#include <gtest/gtest.h>

namespace quillex {
namespace {

// Every byte value at every one of the 64 places, against tables of random
// density (empty to full): every kernel this processor has, the portable
// packing and the zero masks must agree with a byte-by-byte test, one chunk at
// a time and in a batch.
TEST(ByteClassMask, AgreesWithAByteByByteTest) {
  std::mt19937 rng(7);
  std::uniform_int_distribution<int> byte(0, 255);
  for (int round = 0; round < 64; ++round) {
    CharClassTable table;
    std::bernoulli_distribution pick((round % 8) / 7.0);  // empty to full
    for (int b = 1; b < 256; ++b) {
      if (pick(rng)) {
        const char text[2] = {static_cast<char>(b), '\0'};
        table.SetBytes(text, 1);
      }
    }
    const ByteClassMask classes(table);
    EXPECT_EQ(classes.Kernel(), ByteClassMask::BestKernel());
    std::vector<ByteClassMask> kernels;
    for (MaskKernel kernel : {MaskKernel::Portable, MaskKernel::Ssse3, MaskKernel::Avx2}) {
      if (ByteClassMask::Supported(kernel)) {
        kernels.emplace_back(table, kernel);
        EXPECT_EQ(kernels.back().Kernel(), kernel);
      }
    }
    std::vector<std::uint8_t> batch;
    std::vector<std::uint64_t> batchAdmitted;
    std::vector<std::uint64_t> batchZero;
    for (int b = 0; b < 256; ++b) {
      ASSERT_EQ(classes.Flags()[b], table.Allowed(static_cast<std::uint8_t>(b)) ? 1 : 0);
    }
    for (int shift = 0; shift < 260; ++shift) {
      // Shifts 0 to 255 put every byte value at every place; the last few
      // are random bytes with many zeros.
      std::vector<std::uint8_t> p(64);
      for (std::size_t k = 0; k < 64; ++k) {
        p[k] = shift < 256 ? static_cast<std::uint8_t>(k * 7 + static_cast<std::size_t>(shift))
                           : static_cast<std::uint8_t>(k % 3 == 0 ? 0 : byte(rng));
      }
      std::uint64_t admitted = 0;
      std::uint64_t zero = 0;
      for (std::size_t k = 0; k < 64; ++k) {
        admitted |= std::uint64_t{table.Allowed(p[k])} << k;
        zero |= std::uint64_t{p[k] == 0} << k;
      }
      EXPECT_EQ(classes.Mask(p.data()), admitted);
      EXPECT_EQ(FlagMask(classes.Flags(), p.data()), admitted);
      EXPECT_EQ(ZeroMaskPortable(p.data()), zero);
      for (const ByteClassMask& kernel : kernels) {
        SCOPED_TRACE(static_cast<int>(kernel.Kernel()));
        EXPECT_EQ(kernel.Mask(p.data()), admitted);
        std::uint64_t both[2] = {0, 0};
        kernel.Fill(p.data(), 1, &both[0], &both[1]);
        EXPECT_EQ(both[0], admitted);
        EXPECT_EQ(both[1], zero);
      }
      batch.insert(batch.end(), p.begin(), p.end());
      batchAdmitted.push_back(admitted);
      batchZero.push_back(zero);
    }
    // A whole batch at once, from an address that is not 16-byte aligned.
    batch.insert(batch.begin(), 0x41);
    for (const ByteClassMask& kernel : kernels) {
      SCOPED_TRACE(static_cast<int>(kernel.Kernel()));
      std::vector<std::uint64_t> admitted(batchAdmitted.size());
      std::vector<std::uint64_t> zero(batchZero.size());
      kernel.Fill(batch.data() + 1, admitted.size(), admitted.data(), zero.data());
      EXPECT_EQ(admitted, batchAdmitted);
      EXPECT_EQ(zero, batchZero);
      std::vector<std::uint64_t> alone(batchAdmitted.size());
      kernel.Fill(batch.data() + 1, alone.size(), alone.data(), nullptr);
      EXPECT_EQ(alone, batchAdmitted);
    }
  }
}

TEST(ByteClassMask, ForEachChunkCoversTheBlockInOrder) {
  CharClassTable table;
  table.SetBytes("abc", 1);
  std::mt19937 rng(3);
  std::vector<std::uint8_t> block(kMaskBytes * (kMaskBatch + 50) + 9);
  for (auto& b : block) {
    b = static_cast<std::uint8_t>("abcx\0"[rng() % 5]);
  }
  const ByteClassMask classes(table);
  // Bit k of a mask from the plain table.
  auto expect = [&](const std::uint8_t* p, std::size_t n, bool zero) {
    std::uint64_t mask = 0;
    for (std::size_t k = 0; k < n; ++k) {
      mask |= std::uint64_t{zero ? p[k] == 0 : table.Allowed(p[k])} << k;
    }
    return mask;
  };
  for (const std::size_t size : {std::size_t{0}, std::size_t{1}, std::size_t{63}, std::size_t{64},
                                 std::size_t{65}, kMaskBytes * kMaskBatch, block.size()}) {
    for (const bool withZero : {false, true}) {
      SCOPED_TRACE(::testing::Message() << size << " " << withZero);
      std::vector<std::uint64_t> admitted(kMaskBatch);
      std::vector<std::uint64_t> zeros(kMaskBatch);
      std::size_t covered = 0;
      std::uint64_t announced = ~std::uint64_t{0};
      ForEachChunk(classes, block.data(), size, admitted.data(), withZero ? zeros.data() : nullptr,
                   [&](const std::uint8_t* p, std::size_t n, std::uint64_t a, std::uint64_t z,
                       std::uint64_t next) {
                     ASSERT_EQ(p, block.data() + covered);
                     ASSERT_EQ(n, std::min(kMaskBytes, size - covered));
                     EXPECT_EQ(a, expect(p, n, false));
                     EXPECT_EQ(z, withZero ? expect(p, n, true) : 0);
                     // A known successor's mask is the one it then gets.
                     if (announced != ~std::uint64_t{0}) {
                       EXPECT_EQ(a, announced);
                     }
                     announced = next;
                     covered += n;
                   });
      EXPECT_EQ(covered, size);
    }
  }
}

}  // namespace
}  // namespace quillex
