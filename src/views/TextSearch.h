#pragma once

// Standard library
#include <cstddef>
#include <optional>
#include <string_view>

// Ours
#include "views/CancelFlag.h"

namespace quillex {

// The running text's case-ignoring search: A-Z match a-z and the accented
// Windows-1252 letters match their other case. A NUL in the text (the end of
// a pool text, shown as a space) matches a space in the pattern. Returns the
// start of the first occurrence at or after `from`; nothing when there is
// none or the pattern is empty. `cancel` is read once per megabyte searched;
// a raised flag ends the search with nothing found.
[[nodiscard]] std::optional<std::size_t> FindIgnoringCase(std::string_view text,
                                                          std::string_view pattern,
                                                          std::size_t from,
                                                          const CancelFlag* cancel = nullptr);

}  // namespace quillex
