#pragma once

// Standard library
#include <optional>

// Quillex
#include "filter/CharGroup.h"

namespace quillex {

// The Filter page shows group i of CharGroups() in check box
// kFirstGroupBox + i. The engine speaks of groups by index only; this is the
// one place that turns a box into its group and back.
inline constexpr int kFirstGroupBox = 1024;
inline constexpr int kLastGroupBox = kFirstGroupBox + kGroupCount - 1;

[[nodiscard]] constexpr int BoxOfGroup(int group) {
  return kFirstGroupBox + group;
}

// The group a control shows, or nothing for a control that is no group box.
[[nodiscard]] constexpr std::optional<int> GroupOfBox(int controlId) {
  if (controlId < kFirstGroupBox || controlId > kLastGroupBox) {
    return std::nullopt;
  }
  return controlId - kFirstGroupBox;
}

}  // namespace quillex
