#pragma once

// Standard library
#include <cstdint>
#include <optional>

namespace quillex {

// Result texts are single bytes; both views show them as Windows-1252
// characters. The five bytes the code page leaves undefined (81 8D 8F 90 9D)
// map to the C1 control code points of the same value, so every byte has a
// character and every such character converts back to its byte.
[[nodiscard]] char16_t Cp1252ToUnicode(std::uint8_t byte);

// The byte of a code point, or nothing when Windows-1252 has no byte for it.
[[nodiscard]] std::optional<std::uint8_t> UnicodeToCp1252(char32_t codePoint);

}  // namespace quillex
