#pragma once

// Standard library
#include <cstdint>
#include <optional>
#include <span>

// Quillex
#include "shell/LayoutTable.h"
#include "shell/PixelRect.h"

namespace quillex {

// The rectangle after a size change of dx, dy: each anchored edge moves by
// the change along its axis, the others stay.
[[nodiscard]] PixelRect ApplyAnchors(PixelRect rect, std::uint32_t anchors, int dx, int dy);

// A parent window whose controls a layout table moves.
class LayoutSurface {
 public:
  virtual ~LayoutSurface() = default;
  // The control's rectangle in the parent's coordinates, or nothing when the
  // parent has no such control (a table row for a control not built).
  [[nodiscard]] virtual std::optional<PixelRect> ControlRect(int controlId) const = 0;
  virtual void MoveControl(int controlId, const PixelRect& rect) = 0;
};

// Moves every anchored control of the table by the size change. Rows with no
// anchors, and rows whose control the parent lacks, are skipped.
void ApplyLayoutTable(std::span<const LayoutEntry> table, LayoutSurface& parent, int dx, int dy);

// The windows one layout pass resizes: the tab control, the container that
// holds it and the logo, and the pages in page-table order.
class LayoutWindows {
 public:
  virtual ~LayoutWindows() = default;
  [[nodiscard]] virtual PixelSize TabControlSize() const = 0;
  virtual void ResizeTabControl(PixelSize size) = 0;
  [[nodiscard]] virtual PixelSize ContainerSize() const = 0;
  virtual void ResizeContainer(PixelSize size) = 0;
  virtual LayoutSurface& ContainerSurface() = 0;
  [[nodiscard]] virtual int PageCount() const = 0;
  virtual LayoutSurface& PageSurface(int page) = 0;
  [[nodiscard]] virtual std::span<const LayoutEntry> PageLayout(int page) const = 0;
  [[nodiscard]] virtual PixelSize PageSize(int page) const = 0;
  virtual void ResizePage(int page, PixelSize size) = 0;
};

// Grows the tab control and the container by the change, applies the
// container's table, then for each page applies its table and grows it.
void RunLayoutPass(LayoutWindows& windows, int dx, int dy);

// Where a window of the given extent starts so that it is centred on the
// screen. The halving truncates toward zero, so a screen smaller than the
// window gives a negative position.
[[nodiscard]] int CentredOrigin(int screenExtent, int windowExtent);

}  // namespace quillex
