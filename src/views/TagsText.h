#pragma once

// Standard library
#include <cstdint>
#include <span>
#include <string>

// Ours
#include "tags/TagId.h"

namespace quillex {

// What the list's Tags column shows for a result: its tags' names in the tag
// table's order, joined by a comma and a space ("url, domain"); empty for a
// result without tags. Only the list shows this text: the record formats
// write the names their own way, and the text layouts not at all.
[[nodiscard]] std::string TagsText(TagSet tags);

// Every tag set, by its bits: the place of its text among the texts of all
// sets in the order the list sorts texts (case folded, a prefix first). The
// empty set has place 0; sets whose texts are equal share a place. A sort by
// the Tags column thus costs a lookup per row and no text compare. Built
// once, on the first call from any thread.
[[nodiscard]] std::span<const std::uint16_t> TagsTextRanks();

// The place of a set's text, as TagsTextRanks gives it.
[[nodiscard]] std::uint16_t TagsTextRank(TagSet tags);

}  // namespace quillex
