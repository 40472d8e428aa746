#pragma once

// Standard library
#include <cstddef>
#include <cstdint>
#include <optional>

namespace quillex {

class StringPool;

// The result whose text holds byte `position` of the running text. The
// running text is the pool's buffer with every text's NUL shown as a space,
// so text i fills [start i, start i + 1): its characters and the space after
// them, where a caret just past a string's last character still names that
// string. A position at or past the end names the last result; nothing when
// the pool holds no text. A binary search over the texts' starts.
[[nodiscard]] std::optional<std::uint32_t> ResultAtRunningTextPosition(const StringPool& pool,
                                                                       std::size_t position);

}  // namespace quillex
