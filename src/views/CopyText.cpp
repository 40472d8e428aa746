#include "views/CopyText.h"

// Standard library
#include <algorithm>
#include <string>

// Ours
#include "views/AdvancedWriter.h"

namespace quillex {

bool CopyTextInPieces(std::span<const std::uint32_t> rows, const ResultStore& store,
                      const SectionMap& map, const CancelFlag* cancel,
                      const std::function<void(std::string_view piece)>& take) {
  // Rows per piece: about a megabyte of text, for lines of typical length.
  constexpr std::size_t kPieceRows = 16384;
  for (std::size_t first = 0; first < rows.size(); first += kPieceRows) {
    if (IsCancelled(cancel)) {
      return false;
    }
    const std::size_t count = std::min(kPieceRows, rows.size() - first);
    take(AdvancedWriter::CopyText(rows.subspan(first, count), store, map));
  }
  return !IsCancelled(cancel);
}

}  // namespace quillex
