#pragma once

#include <cstdint>

namespace quillex {

// Milliseconds of a monotonic clock, cut to 32 bits. The counter wraps about
// every 49.7 days; differences taken in unsigned 32-bit arithmetic stay right
// across one wrap.
[[nodiscard]] std::uint32_t GetTickCount();

}  // namespace quillex
