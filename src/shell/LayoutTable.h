#pragma once

// Standard library
#include <cstdint>
#include <span>

namespace quillex {

// Which edges of a control follow a change of the window's size.
inline constexpr std::uint32_t kAnchorLeft = 1;    // left edge follows the width change
inline constexpr std::uint32_t kAnchorTop = 2;     // top edge follows the height change
inline constexpr std::uint32_t kAnchorRight = 4;   // right edge follows the width change
inline constexpr std::uint32_t kAnchorBottom = 8;  // bottom edge follows the height change

// One row of a page's layout table. fontFlag 1 gives the control the bold
// font; anchors is a combination of the kAnchor flags (0: the control stays).
struct LayoutEntry {
  int controlId;
  std::uint32_t fontFlag;
  std::uint32_t anchors;
};

[[nodiscard]] std::span<const LayoutEntry> ContainerLayout();
[[nodiscard]] std::span<const LayoutEntry> SearchPageLayout();
[[nodiscard]] std::span<const LayoutEntry> FilterPageLayout();
[[nodiscard]] std::span<const LayoutEntry> HelpPageLayout();

}  // namespace quillex
