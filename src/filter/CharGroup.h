#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string_view>

namespace quillex {

// One check box of the Filter page and the byte values it switches.
struct CharGroup {
  int boxId;
  std::span<const std::uint8_t> bytes;
  // The box's label as the page shows it, in UTF-8: "A-Z", "Space",
  // "' (apostrophe)". The command line names groups by it.
  std::string_view name;
};

inline constexpr int kFirstGroupBox = 1024;
inline constexpr int kLastGroupBox = 1066;
inline constexpr int kGroupCount = 43;

// The 43 groups in box-id order (group i belongs to box 1024 + i).
[[nodiscard]] std::span<const CharGroup> CharGroups();
// The group of a box id, or nullptr when the id is not a group box.
[[nodiscard]] const CharGroup* FindCharGroup(int boxId);
// The box ids of the default groups, in the order RestoreDefaults applies them.
[[nodiscard]] std::span<const int> DefaultGroupOrder();

}  // namespace quillex
