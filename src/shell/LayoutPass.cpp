#include "shell/LayoutPass.h"

// Standard library
#include <algorithm>

namespace quillex {

PixelRect ApplyAnchors(PixelRect rect, std::uint32_t anchors, int dx, int dy) {
  if ((anchors & kAnchorLeft) != 0) {
    rect.left += dx;
  }
  if ((anchors & kAnchorTop) != 0) {
    rect.top += dy;
  }
  if ((anchors & kAnchorRight) != 0) {
    rect.right += dx;
  }
  if ((anchors & kAnchorBottom) != 0) {
    rect.bottom += dy;
  }
  return rect;
}

void ApplyLayoutTable(std::span<const LayoutEntry> table, LayoutSurface& parent, int dx, int dy) {
  for (const LayoutEntry& entry : table) {
    if (entry.controlId == 0) {
      break;
    }
    if (entry.anchors == 0) {
      continue;
    }
    const std::optional<PixelRect> rect = parent.ControlRect(entry.controlId);
    if (!rect) {
      continue;
    }
    parent.MoveControl(entry.controlId, ApplyAnchors(*rect, entry.anchors, dx, dy));
  }
}

PixelSize PageSizeIn(PixelSize area, PixelSize minimum, int scrollBar) {
  bool scrollsDown = area.height < minimum.height;
  bool scrollsAcross = area.width < minimum.width;
  PixelSize room = area;
  if (scrollsDown) {
    room.width -= scrollBar;
  }
  if (scrollsAcross) {
    room.height -= scrollBar;
  }
  // A scroll bar one way can leave too little room the other way.
  if (!scrollsAcross && room.width < minimum.width) {
    scrollsAcross = true;
    room.height -= scrollBar;
  }
  if (!scrollsDown && room.height < minimum.height) {
    room.width -= scrollBar;
  }
  return PixelSize{std::max(room.width, minimum.width), std::max(room.height, minimum.height)};
}

void RunLayoutPass(LayoutWindows& windows, int dx, int dy) {
  const PixelSize container = windows.ContainerSize();
  const PixelSize newContainer{container.width + dx, container.height + dy};
  // The pages gain what the tabs gain when the logo's column goes (and lose
  // it when it comes back).
  int gain = 0;
  const bool logo = newContainer.width >= windows.DesignWidth();
  if (logo != windows.LogoShown()) {
    windows.SetLogoShown(logo);
    gain = logo ? -windows.LogoColumnWidth() : windows.LogoColumnWidth();
  }
  const PixelSize tab = windows.TabControlSize();
  windows.ResizeTabControl(PixelSize{tab.width + dx, tab.height + dy});
  windows.ResizeContainer(newContainer);
  ApplyLayoutTable(ContainerLayout(), windows.ContainerSurface(), dx, dy);
  for (int page = 0; page < windows.PageCount(); ++page) {
    const PixelSize area = windows.PageAreaSize(page);
    const PixelSize newArea{area.width + dx + gain, area.height + dy};
    windows.ResizePageArea(page, newArea);
    const PixelSize size = windows.PageSize(page);
    const PixelSize newSize =
        PageSizeIn(newArea, windows.PageMinimumSize(page), windows.ScrollBarExtent());
    ApplyLayoutTable(windows.PageLayout(page), windows.PageSurface(page),
                     newSize.width - size.width, newSize.height - size.height);
    windows.ResizePage(page, newSize);
  }
}

int CentredOrigin(int screenExtent, int windowExtent) {
  return (screenExtent - windowExtent) / 2;
}

WindowFit FitWindow(PixelSize design, PixelSize minimum, const PixelRect& available,
                    PixelSize frame) {
  const PixelSize room{std::max(available.Width() - frame.width, 1),
                       std::max(available.Height() - frame.height, 1)};
  WindowFit fit;
  fit.client = PixelSize{std::min(design.width, room.width), std::min(design.height, room.height)};
  fit.minimum =
      PixelSize{std::min(minimum.width, room.width), std::min(minimum.height, room.height)};
  fit.x = available.left +
          std::max(0, CentredOrigin(available.Width(), fit.client.width + frame.width));
  fit.y = available.top +
          std::max(0, CentredOrigin(available.Height(), fit.client.height + frame.height));
  return fit;
}

}  // namespace quillex
