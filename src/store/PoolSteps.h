#pragma once

// Standard library
#include <cstdint>

// Ours
#include "store/StringPool.h"

namespace quillex {

// Growth steps of the string pool for the scans of both programs: 4 MiB of
// text and 128 Ki entries at a time. A scan of a large file then moves its
// texts only a few times; the pool's small default steps would copy the
// whole buffer every few hundred bytes of text.
inline constexpr std::uint32_t kPoolByteStep = 0x400000;
inline constexpr std::uint32_t kPoolIndexStep = 0x20000;

inline void UseScanPoolSteps(StringPool& pool) {
  pool.SetByteStep(kPoolByteStep);
  pool.SetIndexStep(kPoolIndexStep);
}

}  // namespace quillex
