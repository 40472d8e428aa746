#include "views/RunningTextPlace.h"

// Ours
#include "store/StringPool.h"

namespace quillex {

std::optional<std::uint32_t> ResultAtRunningTextPosition(const StringPool& pool,
                                                         std::size_t position) {
  const std::uint32_t count = pool.Count();
  if (count == 0 || pool.Bytes() == nullptr) {
    return std::nullopt;
  }
  const char* const base = pool.Bytes();
  const auto startOf = [&](std::uint32_t index) {
    return static_cast<std::size_t>(pool.Text(index) - base);
  };
  // The last text whose start is at or before the position.
  std::uint32_t low = 0;
  std::uint32_t high = count;
  while (high - low > 1) {
    const std::uint32_t middle = low + (high - low) / 2;
    if (startOf(middle) <= position) {
      low = middle;
    } else {
      high = middle;
    }
  }
  return low;
}

}  // namespace quillex
