#pragma once

namespace quillex {

// The columns of the list, in the list model's order. Saved lists and copied
// rows have the first four, File pos to Text, and only those; the columns
// after Text are the list's own.
enum class ResultColumn : int {
  FilePos = 0,
  MemPos = 1,
  Id = 2,
  Text = 3,
  // The text's length in characters.
  Length = 4,
  // The name of the PE section whose raw data holds the file position.
  Section = 5,
  // The result's indicator tags, by name. The store does not hold them: the
  // list's model shows them from the array the window's tagging fills.
  Tags = 6,
  ColumnCount = 7
};

// Callers' buffers for FormatColumn must hold at least this many bytes.
inline constexpr unsigned kFormatBufferSize = 13;

}  // namespace quillex
