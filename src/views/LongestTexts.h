#pragma once

// Standard library
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

// Ours
#include "views/CancelFlag.h"

namespace quillex {

class ResultStore;

// The rows (positions in `rows`, which holds each row's result index) of the
// `count` longest texts by bytes, in no particular order; of texts that tie
// in length, the earlier rows are kept. Measuring every text of ten million
// rows in a font takes seconds, and the widest one is almost always among the
// longest by bytes, so a column fitted to its texts measures only these.
// `cancel` is read every few thousand rows; a raised flag ends the walk with
// the longest texts found so far.
[[nodiscard]] std::vector<std::uint32_t> LongestTextRows(const ResultStore& store,
                                                         std::span<const std::uint32_t> rows,
                                                         std::size_t count,
                                                         const CancelFlag* cancel = nullptr);

}  // namespace quillex
