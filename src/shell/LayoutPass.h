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
// holds it and the logo, and the pages in page-table order, each in the area
// that shows it.
class LayoutWindows {
 public:
  virtual ~LayoutWindows() = default;
  [[nodiscard]] virtual PixelSize TabControlSize() const = 0;
  virtual void ResizeTabControl(PixelSize size) = 0;
  [[nodiscard]] virtual PixelSize ContainerSize() const = 0;
  virtual void ResizeContainer(PixelSize size) = 0;
  virtual LayoutSurface& ContainerSurface() = 0;

  // The container's width as designed; narrower, the logo's column (the
  // logo and the gap after it) goes to the tabs and the pages.
  [[nodiscard]] virtual int DesignWidth() const = 0;
  [[nodiscard]] virtual int LogoColumnWidth() const = 0;
  [[nodiscard]] virtual bool LogoShown() const = 0;
  // Shows or hides the logo; the tab control's left edge moves by the
  // column, its right edge stays.
  virtual void SetLogoShown(bool shown) = 0;

  [[nodiscard]] virtual int PageCount() const = 0;
  virtual LayoutSurface& PageSurface(int page) = 0;
  [[nodiscard]] virtual std::span<const LayoutEntry> PageLayout(int page) const = 0;
  [[nodiscard]] virtual PixelSize PageSize(int page) const = 0;
  virtual void ResizePage(int page, PixelSize size) = 0;
  // The area that shows a page and scrolls it when the page is larger; it
  // lies on the tab control's display area, wherever that is.
  [[nodiscard]] virtual PixelSize PageAreaSize(int page) const = 0;
  virtual void ResizePageArea(int page, PixelSize size) = 0;
  // The smallest size at which a page's layout still works: below it the
  // page stops shrinking and scrolls.
  [[nodiscard]] virtual PixelSize PageMinimumSize(int page) const = 0;
  // The room a scroll bar takes from an area.
  [[nodiscard]] virtual int ScrollBarExtent() const = 0;
};

// The size of a page shown in an area of `area` pixels: the area's size,
// but never below `minimum`. A page that scrolls one way gets a scroll bar
// that takes `scrollBar` pixels from the other way, which can make it scroll
// that way too.
[[nodiscard]] PixelSize PageSizeIn(PixelSize area, PixelSize minimum, int scrollBar);

// Grows the tab control and the container by the change and applies the
// container's table; hides the logo while the container is narrower than
// designed, giving its column to the tabs. Then each page's area grows by
// the change and the page follows it down to its minimum: its table moves its
// controls by the page's own change.
void RunLayoutPass(LayoutWindows& windows, int dx, int dy);

// Where the window opens and how small it may get, so that it lies within the
// screen's available area: the designed client size and the usual minimum,
// each cut to the area less the window frame, and the frame's origin centred
// in the area (halving toward zero) but never before its top left corner.
struct WindowFit {
  PixelSize client;
  PixelSize minimum;
  int x = 0;
  int y = 0;
};
[[nodiscard]] WindowFit FitWindow(PixelSize design, PixelSize minimum, const PixelRect& available,
                                  PixelSize frame);

// Where a window of the given extent starts so that it is centred on the
// screen. The halving truncates toward zero, so a screen smaller than the
// window gives a negative position.
[[nodiscard]] int CentredOrigin(int screenExtent, int windowExtent);

}  // namespace quillex
