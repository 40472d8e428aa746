#include "views/ListSearch.h"

// Standard library
#include <algorithm>
#include <cstring>

// Ours
#include "store/ResultStore.h"
#include "views/CaseFold.h"

namespace quillex {

ListSearch::ListSearch(std::string_view pattern) {
  if (pattern.empty() || pattern.size() > kListFindTextBytes) {
    return;  // length_ 0: nothing matches
  }
  length_ = pattern.size();
  for (std::size_t i = 0; i < length_; ++i) {
    lowered_[i] = FoldAscii(pattern[i]);
  }
}

bool ListSearch::Matches(const char* text) const {
  if (length_ == 0 || text == nullptr) {
    return false;
  }
  const std::size_t length = ::strnlen(text, kListFindTextBytes);
  if (length < length_) {
    return false;
  }
  // PERF: texts are mostly a few dozen bytes, so a straight scan that tests
  // the first pattern byte through the table beats building a skip table per
  // row; nothing is copied or allocated.
  const auto* bytes = reinterpret_cast<const std::uint8_t*>(text);
  const std::uint8_t first = lowered_[0];
  const std::size_t lastStart = length - length_;
  for (std::size_t i = 0; i <= lastStart; ++i) {
    if (kAsciiFold[bytes[i]] != first) [[likely]] {
      continue;
    }
    std::size_t k = 1;
    while (k < length_ && kAsciiFold[bytes[i + k]] == lowered_[k]) {
      ++k;
    }
    if (k == length_) {
      return true;
    }
  }
  return false;
}

std::vector<std::uint32_t> ListSearch::MatchingRows(const ResultStore& store,
                                                    std::span<const std::uint32_t> rows,
                                                    const CancelFlag* cancel) const {
  std::vector<std::uint32_t> matches;
  if (length_ == 0) {
    return matches;
  }
  for (std::size_t first = 0; first < rows.size(); first += kRowsBetweenCancelChecks) {
    if (IsCancelled(cancel)) {
      break;
    }
    const std::size_t last = std::min(rows.size(), first + kRowsBetweenCancelChecks);
    for (std::size_t r = first; r < last; ++r) {
      if (Matches(store.Text(rows[r]))) {
        matches.push_back(static_cast<std::uint32_t>(r));
      }
    }
  }
  return matches;
}

}  // namespace quillex
