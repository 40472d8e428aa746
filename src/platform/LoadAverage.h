#pragma once

// Standard library
#include <optional>

namespace quillex {

// The system's load average over the last minute: how many threads, on
// average, were running or waiting for a core. Nothing where the system
// does not tell.
[[nodiscard]] std::optional<double> LoadAverage();

}  // namespace quillex
