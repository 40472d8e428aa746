#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string_view>

namespace quillex {

// One group of byte values that the Filter page switches on and off
// together. Groups are named by their index in CharGroups(); which check box
// shows which group is the page's business.
struct CharGroup {
  std::span<const std::uint8_t> bytes;
  // The box's label as the page shows it, in UTF-8: "A-Z", "Space",
  // "' (apostrophe)". The command line names groups by it.
  std::string_view name;
};

inline constexpr int kGroupCount = 43;

// The 43 groups in the order the page shows them: CR, LF, Space, Tab, the
// punctuation and the digits by byte value, the letters, then the four
// accented groups.
[[nodiscard]] std::span<const CharGroup> CharGroups();
// Group `group`, or nullptr when no group has that index.
[[nodiscard]] const CharGroup* CharGroupAt(int group);
// The indexes of the default groups, in the order RestoreDefaults applies
// them.
[[nodiscard]] std::span<const int> DefaultGroupOrder();

}  // namespace quillex
