#pragma once

// Standard library
#include <cstddef>
#include <string_view>
#include <vector>

// Ours
#include "views/CancelFlag.h"

namespace quillex {

// A tab moves on to the next multiple of this many columns.
inline constexpr std::size_t kTabColumns = 8;

// Where the display lines of the running text start when it is wrapped at
// `columns` characters of a fixed-pitch font (at least 1). Lines break after
// CR LF, LF or CR. Spaces, tabs and NULs (the pool's text ends, shown as
// spaces) hang past the right edge and mark the last place a line may wrap;
// a word wider than the line is cut where it reaches the edge. The first
// start is always 0, so an empty text has one line. `cancel` is read once
// per megabyte; a raised flag ends the layout early with the lines so far.
[[nodiscard]] std::vector<std::size_t> WrapLines(std::string_view text, std::size_t columns,
                                                 const CancelFlag* cancel = nullptr);

// The width in columns of `byte` when it stands at `column` of its line.
[[nodiscard]] inline std::size_t CharColumns(char byte, std::size_t column) {
  return byte == '\t' ? kTabColumns - column % kTabColumns : 1;
}

}  // namespace quillex
