#pragma once

// Standard library
#include <cstddef>
#include <string_view>

// Character tests over the stored Windows-1252 bytes. Only ASCII counts as a
// letter or digit here: every indicator is written in ASCII, and a byte from
// 0x80 up ends any name the matchers follow.
namespace quillex::tagtext {

[[nodiscard]] constexpr bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}
[[nodiscard]] constexpr bool IsUpper(char c) {
  return c >= 'A' && c <= 'Z';
}
[[nodiscard]] constexpr bool IsLower(char c) {
  return c >= 'a' && c <= 'z';
}
[[nodiscard]] constexpr bool IsAlpha(char c) {
  return IsUpper(c) || IsLower(c);
}
[[nodiscard]] constexpr bool IsAlnum(char c) {
  return IsAlpha(c) || IsDigit(c);
}
[[nodiscard]] constexpr bool IsHex(char c) {
  return IsDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}
// A letter, digit or underscore: what continues an identifier.
[[nodiscard]] constexpr bool IsWord(char c) {
  return IsAlnum(c) || c == '_';
}
[[nodiscard]] constexpr bool IsSpace(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v';
}
[[nodiscard]] constexpr char ToLower(char c) {
  return IsUpper(c) ? static_cast<char>(c - 'A' + 'a') : c;
}
[[nodiscard]] constexpr int HexValue(char c) {
  if (IsDigit(c)) {
    return c - '0';
  }
  return ToLower(c) - 'a' + 10;
}

// The byte at `at`, or 0 outside the text: lets a matcher look at its
// neighbours without checking the bounds each time.
[[nodiscard]] constexpr char At(std::string_view text, std::size_t at) {
  return at < text.size() ? text[at] : '\0';
}
[[nodiscard]] constexpr char Before(std::string_view text, std::size_t at) {
  return at > 0 && at <= text.size() ? text[at - 1] : '\0';
}

// Whether `text` at `at` starts with `word`, letters compared without case
// (`word` is written in lower case).
[[nodiscard]] constexpr bool StartsWithNoCase(std::string_view text, std::size_t at,
                                              std::string_view word) {
  if (at > text.size() || text.size() - at < word.size()) {
    return false;
  }
  for (std::size_t i = 0; i < word.size(); ++i) {
    if (ToLower(text[at + i]) != word[i]) {
      return false;
    }
  }
  return true;
}

[[nodiscard]] constexpr bool EqualsNoCase(std::string_view text, std::string_view word) {
  return text.size() == word.size() && StartsWithNoCase(text, 0, word);
}

}  // namespace quillex::tagtext
