#include "filter/CharGroup.h"

// Standard library
#include <array>
#include <cstdint>
#include <span>

namespace quillex {

namespace {

// Byte values of each group, in the order SetBytes walks them.
constexpr std::array<std::uint8_t, 1> kCr{0x0D};
constexpr std::array<std::uint8_t, 1> kLf{0x0A};
constexpr std::array<std::uint8_t, 1> kSpace{0x20};
constexpr std::array<std::uint8_t, 1> kTab{0x09};
constexpr std::array<std::uint8_t, 10> kDigits{0x30, 0x31, 0x32, 0x33, 0x34,
                                               0x35, 0x36, 0x37, 0x38, 0x39};
constexpr std::array<std::uint8_t, 26> kCapitals{
    0x41, 0x42, 0x43, 0x44, 0x45, 0x46, 0x47, 0x48, 0x49, 0x4A, 0x4B, 0x4C, 0x4D,
    0x4E, 0x4F, 0x50, 0x51, 0x52, 0x53, 0x54, 0x55, 0x56, 0x57, 0x58, 0x59, 0x5A};
constexpr std::array<std::uint8_t, 26> kSmall{0x61, 0x62, 0x63, 0x64, 0x65, 0x66, 0x67, 0x68, 0x69,
                                              0x6A, 0x6B, 0x6C, 0x6D, 0x6E, 0x6F, 0x70, 0x71, 0x72,
                                              0x73, 0x74, 0x75, 0x76, 0x77, 0x78, 0x79, 0x7A};
// Windows-1252 accented capitals and small letters with acute, grave,
// circumflex or cedilla, then those with diaeresis (and sharp s).
constexpr std::array<std::uint8_t, 17> kAccentedCapitals{0xC0, 0xC1, 0xC2, 0xC7, 0xC8, 0xC9,
                                                         0xCA, 0xCC, 0xCD, 0xCE, 0xD2, 0xD3,
                                                         0xD4, 0xD9, 0xDA, 0xDB, 0xDD};
constexpr std::array<std::uint8_t, 17> kAccentedSmall{0xE0, 0xE1, 0xE2, 0xE7, 0xE8, 0xE9,
                                                      0xEA, 0xEC, 0xED, 0xEE, 0xF2, 0xF3,
                                                      0xF4, 0xF9, 0xFA, 0xFB, 0xFD};
constexpr std::array<std::uint8_t, 6> kUmlautCapitals{0xC4, 0xCB, 0xCF, 0xD6, 0xDC, 0xDF};
constexpr std::array<std::uint8_t, 5> kUmlautSmall{0xE4, 0xEB, 0xEF, 0xF6, 0xFC};

// The single-punctuation groups: every printable ASCII byte that is not a
// digit or a letter, one group each. Bytes 0x21..0x7E fit in 94 slots.
constexpr std::array<std::uint8_t, 0x7F> MakeSingleBytes() {
  std::array<std::uint8_t, 0x7F> bytes{};
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    bytes[i] = static_cast<std::uint8_t>(i);
  }
  return bytes;
}
constexpr std::array<std::uint8_t, 0x7F> kSingleBytes = MakeSingleBytes();

constexpr std::span<const std::uint8_t> Single(std::uint8_t byte) {
  return std::span<const std::uint8_t>(kSingleBytes).subspan(byte, 1);
}

constexpr std::array<CharGroup, kGroupCount> kGroups{{
    {kCr, "CR"},
    {kLf, "LF"},
    {kSpace, "Space"},
    {kTab, "Tab"},
    {Single(0x21), "!"},
    {Single(0x22), "\""},
    {Single(0x23), "#"},
    {Single(0x24), "$"},
    {Single(0x25), "%"},
    {Single(0x26), "&"},
    {Single(0x27), "' (apostrophe)"},
    {Single(0x28), "("},
    {Single(0x29), ")"},
    {Single(0x2A), "*"},
    {Single(0x2B), "+"},
    {Single(0x2C), ", (comma)"},
    {Single(0x2D), "- (minus)"},
    {Single(0x2E), ". (period)"},
    {Single(0x2F), "/"},
    {kDigits, "0-9"},
    {Single(0x3A), ":"},
    {Single(0x3B), ";"},
    {Single(0x3C), "<"},
    {Single(0x3D), "="},
    {Single(0x3E), ">"},
    {Single(0x3F), "?"},
    {Single(0x40), "@"},
    {kCapitals, "A-Z"},
    {Single(0x5B), "["},
    {Single(0x5C), "\\"},
    {Single(0x5D), "]"},
    {Single(0x5E), "^"},
    {Single(0x5F), "_ (underscore)"},
    {Single(0x60), "` (backtick)"},
    {kSmall, "a-z"},
    {Single(0x7B), "{"},
    {Single(0x7C), "|"},
    {Single(0x7D), "}"},
    {Single(0x7E), "~ (tilde)"},
    {kAccentedCapitals,
     "\xC3\x80\xC3\x81\xC3\x82\xC3\x87\xC3\x88\xC3\x89\xC3\x8A\xC3\x8C\xC3\x8D\xC3\x8E\xC3\x92\xC3"
     "\x93\xC3\x94\xC3\x99\xC3\x9A\xC3\x9B\xC3\x9D"},  // ÀÁÂÇÈÉÊÌÍÎÒÓÔÙÚÛÝ
    {kAccentedSmall,
     "\xC3\xA0\xC3\xA1\xC3\xA2\xC3\xA7\xC3\xA8\xC3\xA9\xC3\xAA\xC3\xAC\xC3\xAD\xC3\xAE\xC3\xB2\xC3"
     "\xB3\xC3\xB4\xC3\xB9\xC3\xBA\xC3\xBB\xC3\xBD"},  // àáâçèéêìíîòóôùúûý
    {kUmlautCapitals, "\xC3\x84\xC3\x8B\xC3\x8F\xC3\x96\xC3\x9C\xC3\x9F"},  // ÄËÏÖÜß
    {kUmlautSmall, "\xC3\xA4\xC3\xAB\xC3\xAF\xC3\xB6\xC3\xBC"},             // äëïöü
}};

// The order in which RestoreDefaults sets the flags; note the slash (group
// 18) before the full stop (group 17).
constexpr std::array<int, 35> kDefaultOrder{2,  3,  4,  5,  6,  7,  8,  9,  10, 11, 12, 13,
                                            14, 15, 16, 18, 17, 19, 20, 21, 22, 23, 24, 25,
                                            26, 27, 28, 29, 30, 32, 34, 35, 36, 37, 38};

}  // namespace

std::span<const CharGroup> CharGroups() {
  return kGroups;
}

const CharGroup* CharGroupAt(int group) {
  if (group < 0 || group >= kGroupCount) {
    return nullptr;
  }
  return &kGroups[static_cast<std::size_t>(group)];
}

std::span<const int> DefaultGroupOrder() {
  return kDefaultOrder;
}

}  // namespace quillex
