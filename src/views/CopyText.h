#pragma once

// Standard library
#include <cstdint>
#include <functional>
#include <span>
#include <string_view>

// Ours
#include "views/CancelFlag.h"

namespace quillex {

class ResultStore;
class SectionMap;

// Copy's text for `rows` (result indices in display order), the advanced
// layout's row lines without headers, handed to `take` in pieces of whole
// lines: the pieces joined are exactly AdvancedWriter::CopyText(rows). A
// piece covers a few thousand rows, so the whole text never has to exist in
// this form at once, and `cancel` is read between pieces. Returns false when
// the flag stopped it.
bool CopyTextInPieces(std::span<const std::uint32_t> rows, const ResultStore& store,
                      const SectionMap& map, const CancelFlag* cancel,
                      const std::function<void(std::string_view piece)>& take);

}  // namespace quillex
