#include "platform/LoadAverage.h"

// Standard library
#include <cstdlib>
#include <optional>

namespace quillex {

std::optional<double> LoadAverage() {
  double load = 0;
  if (::getloadavg(&load, 1) != 1) {
    return std::nullopt;
  }
  return load;
}

}  // namespace quillex
