#include "views/LongestTexts.h"

// Standard library
#include <algorithm>
#include <functional>
#include <queue>
#include <utility>

// Ours
#include "store/ResultStore.h"

namespace quillex {

std::vector<std::uint32_t> LongestTextRows(const ResultStore& store,
                                           std::span<const std::uint32_t> rows, std::size_t count,
                                           const CancelFlag* cancel) {
  std::vector<std::uint32_t> found;
  if (count == 0) {
    return found;
  }
  // A heap of the longest so far with the shortest of them on top: a text
  // enters only when it is longer than that one.
  using Entry = std::pair<std::uint32_t, std::uint32_t>;  // byte length, row
  std::priority_queue<Entry, std::vector<Entry>, std::greater<>> longest;
  for (std::size_t first = 0; first < rows.size(); first += kRowsBetweenCancelChecks) {
    if (IsCancelled(cancel)) {
      break;
    }
    const std::size_t last = std::min(rows.size(), first + kRowsBetweenCancelChecks);
    for (std::size_t row = first; row < last; ++row) {
      const std::uint32_t length = store.TextLength(rows[row]);
      if (longest.size() < count) {
        longest.emplace(length, static_cast<std::uint32_t>(row));
      } else if (length > longest.top().first) {
        longest.pop();
        longest.emplace(length, static_cast<std::uint32_t>(row));
      }
    }
  }
  found.reserve(longest.size());
  while (!longest.empty()) {
    found.push_back(longest.top().second);
    longest.pop();
  }
  return found;
}

}  // namespace quillex
