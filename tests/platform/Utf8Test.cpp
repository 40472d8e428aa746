// Standard library
#include <cstdint>
#include <optional>
#include <string>

#include <gtest/gtest.h>

// Ours
#include "platform/Cp1252.h"
#include "platform/Utf8.h"

namespace quillex {
namespace {

TEST(Utf8, DecodesWellFormedSequencesOnly) {
  EXPECT_EQ(DecodeUtf8("A").codePoint, U'A');
  EXPECT_EQ(DecodeUtf8("A").length, 1u);
  EXPECT_EQ(DecodeUtf8("\xC3\xA9x").codePoint, U'\u00E9');
  EXPECT_EQ(DecodeUtf8("\xC3\xA9x").length, 2u);
  EXPECT_EQ(DecodeUtf8("\xE2\x82\xAC").codePoint, U'\u20AC');
  EXPECT_EQ(DecodeUtf8("\xF0\x9F\x98\x80").codePoint, U'\U0001F600');
  EXPECT_EQ(DecodeUtf8("\xF4\x8F\xBF\xBF").codePoint, U'\U0010FFFF');
  EXPECT_EQ(DecodeUtf8("\xF4\x8F\xBF\xBF").length, 4u);
  // Every form the standard rules out starts no sequence.
  for (const std::string bad :
       {"", "\x80", "\xBF", "\xC0\xAF", "\xC1\xBF", "\xC3", "\xC3x", "\xE0\x9F\xBF", "\xED\xA0\x80",
        "\xE2\x82", "\xF0\x8F\xBF\xBF", "\xF4\x90\x80\x80", "\xF5\x80\x80\x80", "\xFF"}) {
    EXPECT_EQ(DecodeUtf8(bad).length, 0u) << ::testing::PrintToString(bad);
  }
  // Every code point of the code page comes back from its own encoding.
  for (int b = 1; b < 256; ++b) {
    const char32_t c = Cp1252ToUnicode(static_cast<std::uint8_t>(b));
    std::string encoded;
    AppendUtf8(encoded, c);
    EXPECT_EQ(DecodeUtf8(encoded).codePoint, c) << b;
    EXPECT_EQ(DecodeUtf8(encoded).length, encoded.size()) << b;
  }
}

TEST(Utf8, Repair) {
  EXPECT_EQ(ValidUtf8("plain"), "plain");
  EXPECT_EQ(ValidUtf8("caf\xC3\xA9 \xF0\x9F\x98\x80"), "caf\xC3\xA9 \xF0\x9F\x98\x80");
  const std::string bad = "\xEF\xBF\xBD";
  EXPECT_EQ(ValidUtf8("\xff"), bad);
  EXPECT_EQ(ValidUtf8("a\xC3"), "a" + bad) << "cut short at the end";
  EXPECT_EQ(ValidUtf8("\xC0\xAF"), bad + bad) << "overlong";
  EXPECT_EQ(ValidUtf8("\xED\xA0\x80"), bad + bad + bad) << "a surrogate";
  EXPECT_EQ(ValidUtf8("\xF4\x90\x80\x80"), bad + bad + bad + bad) << "beyond U+10FFFF";
  EXPECT_EQ(ValidUtf8("\xE2\x82"), bad + bad);

  // Each Windows-1252 byte becomes one well-formed character that converts
  // back to the byte.
  for (int b = 1; b < 256; ++b) {
    std::string out;
    AppendCp1252AsUtf8(out, std::string(1, static_cast<char>(b)));
    EXPECT_EQ(ValidUtf8(out), out) << b;
    EXPECT_EQ(out.size(),
              b < 0x80 ? 1u : (Cp1252ToUnicode(static_cast<std::uint8_t>(b)) < 0x800 ? 2u : 3u))
        << b;
    EXPECT_EQ(Utf8ToCp1252(out), std::string(1, static_cast<char>(b))) << b;
  }
}

TEST(Utf8, ToWindows1252) {
  EXPECT_EQ(Utf8ToCp1252("caf\xC3\xA9 \xE2\x82\xAC"), "caf\xE9 \x80");
  // Characters the code page lacks are left out, not guessed at.
  EXPECT_EQ(Utf8ToCp1252("a\xE4\xB8\x80"
                         "b\xF0\x9F\x98\x80"),
            "ab");
  EXPECT_EQ(Utf8ToCp1252(""), "");
  // Text that is not UTF-8 is no text to convert.
  EXPECT_EQ(Utf8ToCp1252("\xE9t\xE9"), std::nullopt);
  EXPECT_EQ(Utf8ToCp1252("ok\xC3"), std::nullopt);
  EXPECT_EQ(Utf8ToCp1252("\xC0\xAF"), std::nullopt) << "an overlong form is not UTF-8";

  // Or, for a pattern, a NUL in each such character's place, so that the
  // bytes around it keep their meaning.
  using std::string_literals::operator""s;
  EXPECT_EQ(Utf8ToCp1252("a|\xE4\xB8\xAD.\xC3\xA9", MissingByte::Nul), "a|\0.\xE9"s);
  EXPECT_EQ(Utf8ToCp1252("a|\xE4\xB8\xAD.\xC3\xA9", MissingByte::Omit), "a|.\xE9");
  EXPECT_EQ(Utf8ToCp1252("\xE9", MissingByte::Nul), std::nullopt);
}

}  // namespace
}  // namespace quillex
