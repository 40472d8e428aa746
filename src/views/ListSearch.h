#pragma once

// Standard library
#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

// Ours
#include "views/CancelFlag.h"

namespace quillex {

class ResultStore;

// Only this many leading bytes of a text take part in a list search, so an
// occurrence ending after the 1023rd byte of a long text is not found.
inline constexpr std::size_t kListFindTextBytes = 1023;

// The list's search: whether a text contains the pattern, A-Z matched as a-z
// and no other folding, within the text's first 1023 bytes.
class ListSearch {
 public:
  explicit ListSearch(std::string_view pattern);

  // False for every text when the pattern is empty or longer than the
  // searched part of any text.
  [[nodiscard]] bool Matches(const char* text) const;

  // The rows (positions in `rows`, which holds each row's result index) whose
  // texts match, in increasing order. `cancel` is read every few thousand
  // rows; once it is raised the search stops and returns the matches so far.
  [[nodiscard]] std::vector<std::uint32_t> MatchingRows(const ResultStore& store,
                                                        std::span<const std::uint32_t> rows,
                                                        const CancelFlag* cancel = nullptr) const;

 private:
  std::array<std::uint8_t, kListFindTextBytes> lowered_{};
  std::size_t length_ = 0;
};

}  // namespace quillex
