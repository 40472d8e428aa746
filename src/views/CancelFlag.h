#pragma once

// Standard library
#include <atomic>
#include <cstddef>

namespace quillex {

// The flag a long piece of view work reads to learn that its result is no
// longer wanted: a sort replaced by another click, a Find the user gave up
// with Escape, a layout for a width the window no longer has. Whoever raises
// it throws away what the work returns, so work that sees it may stop
// anywhere and return what it has.
using CancelFlag = std::atomic<bool>;

// Whether `cancel` is raised; null is work nobody cancels. A relaxed load:
// the flag carries no data along, and a cancelled result is never read.
[[nodiscard]] inline bool IsCancelled(const CancelFlag* cancel) {
  return cancel != nullptr && cancel->load(std::memory_order_relaxed);
}

// Loops over rows look at the flag once per this many rows: a few hundred
// microseconds of work between looks, and no cost worth measuring in the loop.
inline constexpr std::size_t kRowsBetweenCancelChecks = std::size_t{1} << 16;
// Loops over the running text's bytes look at it once per this many bytes.
inline constexpr std::size_t kBytesBetweenCancelChecks = std::size_t{1} << 20;

}  // namespace quillex
