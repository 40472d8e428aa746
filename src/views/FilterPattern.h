#pragma once

// Standard library
#include <string>
#include <string_view>

namespace quillex {

// The Windows-1252 bytes of a filter pattern given as UTF-8, converted as the
// command line converts typed characters: each character becomes its byte,
// and text that is not well-formed UTF-8 is taken as Windows-1252 bytes
// already. A character the code page lacks becomes a NUL byte. No stored text
// holds a NUL, so that character matches nothing, while every other byte,
// regular expression syntax included, stays as typed: "a|\u4E2D" still finds
// "a", "[^\u4E2D]" any character.
[[nodiscard]] std::string PatternFromUtf8(std::string_view utf8);

// A regular expression for RE2's case-insensitive Latin-1 mode that also folds
// the four Windows-1252 letter pairs Latin-1 lacks (S caron 8A/9A, OE 8C/9C,
// Z caron 8E/9E, Y diaeresis 9F/FF): each such letter typed as itself becomes
// both of its cases, "[\x8A\x9A]" outside a character class and "\x8A\x9A"
// inside one. Letters written as escapes (\x8A, \212), letters at either end
// of a range in a class, and letters under an inline (?i) when the rest of
// the pattern matches case are left to RE2, which keeps their cases apart.
// Escapes and \Q...\E quoting are respected, so the syntax is unchanged.
[[nodiscard]] std::string CaselessRegex(std::string_view regex);

}  // namespace quillex
