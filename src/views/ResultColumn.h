#pragma once

namespace quillex {

// The columns of the list, of saved lists and of copied rows, in this order.
enum class ResultColumn : int { FilePos = 0, MemPos = 1, Id = 2, Text = 3, ColumnCount = 4 };

// Callers' buffers for FormatColumn must hold at least this many bytes.
inline constexpr unsigned kFormatBufferSize = 13;

}  // namespace quillex
