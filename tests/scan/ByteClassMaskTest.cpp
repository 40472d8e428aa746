#include "scan/ByteClassMask.h"

// Standard library
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

}  // namespace
}  // namespace quillex
