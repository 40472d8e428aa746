#pragma once

#include <cstdint>

namespace quillex {

// Also the index of the kind's icon in the result list.
enum class StringKind : std::uint16_t { Ansi = 0, Unicode = 1, Resource = 2 };

}  // namespace quillex
