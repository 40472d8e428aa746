#pragma once

// Standard library
#include <cstdint>

namespace quillex {

// Growth steps of the string pool in the desktop program. A scan of a large
// file then moves its texts only a few times; the small default steps would
// copy the whole buffer every few hundred bytes of text.
inline constexpr std::uint32_t kPoolByteStep = 0x400000;
inline constexpr std::uint32_t kPoolIndexStep = 0x20000;

}  // namespace quillex
