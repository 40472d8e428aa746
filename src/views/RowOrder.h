#pragma once

// Standard library
#include <cstdint>
#include <span>
#include <vector>

// Ours
#include "tags/TagId.h"
#include "views/CancelFlag.h"
#include "views/ResultColumn.h"

namespace quillex {

class ResultStore;
class SectionMap;

// Compares one column of two results the way the list sorts them: IDs and
// lengths as numbers; the other columns by their texts, byte by byte, A-Z
// taken as a-z, other bytes unsigned, a prefix first (the positions'
// fixed-width hex digits thus sort as numbers too, and a position in no
// section comes before every section's name). Returns <0, 0 or >0; the sign
// is reversed when `direction` is negative.
//
// The Tags column's text comes from `tags`, one set per result by result
// number (TagsText); a result past its end, or every result while it is
// empty, has no tags.
[[nodiscard]] int CompareRows(const ResultStore& store, const SectionMap& map, std::uint32_t d1,
                              std::uint32_t d2, ResultColumn column, int direction,
                              std::span<const TagSet> tags = {});

// The order of the list's rows after a sort by `column`: for each new place
// the old row number. `rows` holds the result index of every row. Rows are
// ordered exactly as CompareRows orders them (ascending, or
// descending for a negative direction), and rows that compare equal
// keep their order. An invalid column leaves the order as it is.
//
// `cancel` is read between the sort's passes and every few thousand rows
// within them, never per comparison; once it is raised the sort stops and
// returns an empty order, which its canceller throws away. `tags` as in
// CompareRows; it must not change while the sort runs.
[[nodiscard]] std::vector<std::uint32_t> SortedRowOrder(const ResultStore& store,
                                                        const SectionMap& map,
                                                        std::span<const std::uint32_t> rows,
                                                        ResultColumn column, int direction,
                                                        const CancelFlag* cancel = nullptr,
                                                        std::span<const TagSet> tags = {});

}  // namespace quillex
