// Standard library
#include <cstdint>
#include <set>

#include <gtest/gtest.h>

// Ours
#include "platform/Cp1252.h"

namespace quillex {
namespace {

TEST(Cp1252, EveryByteRoundTripsThroughItsCodePoint) {
  std::set<char16_t> seen;
  for (unsigned b = 0; b < 256; ++b) {
    const auto byte = static_cast<std::uint8_t>(b);
    const char16_t unicode = Cp1252ToUnicode(byte);
    EXPECT_TRUE(seen.insert(unicode).second)
        << "two bytes share U+" << std::hex << unsigned{unicode};
    const std::optional<std::uint8_t> back = UnicodeToCp1252(unicode);
    ASSERT_TRUE(back.has_value()) << "byte " << b;
    EXPECT_EQ(*back, byte);
    if (b < 0x80 || b >= 0xA0) {
      EXPECT_EQ(unicode, b) << "ASCII and Latin-1 bytes keep their value";
    }
  }
}

TEST(Cp1252, HighControlsAndUndefinedBytes) {
  EXPECT_EQ(Cp1252ToUnicode(0x80), u'\u20AC');
  EXPECT_EQ(Cp1252ToUnicode(0x85), u'\u2026');
  EXPECT_EQ(Cp1252ToUnicode(0x8A), u'\u0160');
  EXPECT_EQ(Cp1252ToUnicode(0x92), u'\u2019');
  EXPECT_EQ(Cp1252ToUnicode(0x99), u'\u2122');
  EXPECT_EQ(Cp1252ToUnicode(0x9F), u'\u0178');
  for (const unsigned undefined : {0x81u, 0x8Du, 0x8Fu, 0x90u, 0x9Du}) {
    EXPECT_EQ(Cp1252ToUnicode(static_cast<std::uint8_t>(undefined)), undefined);
  }
  // C1 controls that the code page replaced by printable characters, and
  // characters outside the code page, have no byte.
  for (const char32_t missing : {0x80u, 0x85u, 0x9Fu, 0x100u, 0x20ADu, 0x1F600u, 0xFFFDu}) {
    EXPECT_FALSE(UnicodeToCp1252(missing).has_value()) << std::hex << +missing;
  }
}

}  // namespace
}  // namespace quillex
