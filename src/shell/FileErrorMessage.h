#pragma once

// Standard library
#include <string>
#include <string_view>

namespace quillex {

// The text of a box about a file that could not be opened or written: the
// first line as the program has always shown it, then the file's path and the
// system's reason, so that the user learns which file failed and why.
// Line breaks are CR LF, as in every box text.
[[nodiscard]] std::string FileErrorMessage(std::string_view firstLine, std::string_view path,
                                           std::string_view reason);

}  // namespace quillex
