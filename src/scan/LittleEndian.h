#pragma once

#include <cstdint>

namespace quillex {

// Little-endian fields of the PE format, read byte by byte so that neither
// the host's byte order nor the field's alignment matters. The caller has
// checked that the bytes lie inside its buffer.

inline std::uint16_t ReadLe16(const std::uint8_t* p) {
  return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}

inline std::uint32_t ReadLe32(const std::uint8_t* p) {
  return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
         (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

inline std::uint64_t ReadLe64(const std::uint8_t* p) {
  return static_cast<std::uint64_t>(ReadLe32(p)) |
         (static_cast<std::uint64_t>(ReadLe32(p + 4)) << 32);
}

}  // namespace quillex
