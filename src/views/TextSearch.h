#pragma once

// Standard library
#include <cstddef>
#include <optional>
#include <string_view>

namespace quillex {

// The running text's case-ignoring search: A-Z match a-z and the accented
// Windows-1252 letters match their other case. A NUL in the text (the end of
// a pool text, shown as a space) matches a space in the pattern. Returns the
// start of the first occurrence at or after `from`; nothing when there is
// none or the pattern is empty.
[[nodiscard]] std::optional<std::size_t> FindIgnoringCase(std::string_view text,
                                                          std::string_view pattern,
                                                          std::size_t from);

}  // namespace quillex
