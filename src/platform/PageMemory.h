#pragma once

// Standard library
#include <cstddef>

namespace quillex {

// Memory straight from the system in whole pages, for blocks that grow
// large: a mapping grows by remapping, so growth neither copies its bytes
// nor touches the new room, which the system hands out zeroed.

// Mappings are made in whole huge pages, the unit in which the system can
// fault them in where it offers huge pages.
inline constexpr std::size_t kHugePageSize = std::size_t{2} << 20;

// Maps `bytes` of zeroed memory, asking for huge pages (a refusal only costs
// speed). Returns nullptr when the system has no memory to give.
[[nodiscard]] void* MapPages(std::size_t bytes);

// Grows the mapping at `base` from `oldBytes` to `newBytes`, moving it when
// it cannot grow where it stands; the new room is zero. Returns the new
// base, or nullptr with the old mapping untouched.
[[nodiscard]] void* GrowPages(void* base, std::size_t oldBytes, std::size_t newBytes);

// Gives a mapping back to the system.
void UnmapPages(void* base, std::size_t bytes);

}  // namespace quillex
