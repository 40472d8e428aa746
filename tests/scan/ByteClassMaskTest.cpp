#include "scan/ByteClassMask.h"

// Standard library
#include <random>
#include <vector>

// Third party
#include <gtest/gtest.h>

namespace quillex {
namespace {

// Every byte value at every one of the 64 places, against tables of random
// density (empty to full): the fast lookup (SSSE3 where present), the portable packing and
// both zero masks must agree with a byte-by-byte test.
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
      EXPECT_EQ(ZeroMask(p.data()), zero);
      EXPECT_EQ(ZeroMaskPortable(p.data()), zero);
    }
  }
}

}  // namespace
}  // namespace quillex
