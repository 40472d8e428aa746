#pragma once

// Standard library
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace quillex {

// UTF-8, as the outputs write it and the command line reads it, and its
// conversions to and from the Windows-1252 bytes the results are made of.

// Appends the UTF-8 form of a code point (at most U+10FFFF).
void AppendUtf8(std::string& out, char32_t codePoint);

// The well-formed UTF-8 sequence at the start of some bytes: its code point
// and its length in bytes, or a length of 0 where none starts (a stray or
// missing continuation byte, an overlong form, a surrogate, a code point
// past U+10FFFF, no bytes at all).
struct Utf8Sequence {
  char32_t codePoint = 0;
  std::size_t length = 0;
};
[[nodiscard]] Utf8Sequence DecodeUtf8(std::string_view bytes);

// The bytes with every byte that starts no well-formed sequence replaced by
// U+FFFD, so that any name can go into a UTF-8 output.
[[nodiscard]] std::string ValidUtf8(std::string_view bytes);

// Appends Windows-1252 bytes as their characters in UTF-8.
void AppendCp1252AsUtf8(std::string& out, std::string_view bytes);

// What becomes of a character Windows-1252 has no byte for, and of NUL.
enum class MissingByte {
  Omit,  // left out, as the Filter page does with typed text
  Nul,   // a NUL byte in its place, which no stored text holds
};

// The Windows-1252 bytes of well-formed UTF-8 text, each character that has
// a byte as that byte; nothing when the text is not well-formed UTF-8.
[[nodiscard]] std::optional<std::string> Utf8ToCp1252(std::string_view utf8,
                                                      MissingByte missing = MissingByte::Omit);

}  // namespace quillex
