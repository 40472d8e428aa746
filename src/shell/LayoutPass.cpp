#include "shell/LayoutPass.h"

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

void RunLayoutPass(LayoutWindows& windows, int dx, int dy) {
  const PixelSize tab = windows.TabControlSize();
  windows.ResizeTabControl(PixelSize{tab.width + dx, tab.height + dy});
  const PixelSize container = windows.ContainerSize();
  windows.ResizeContainer(PixelSize{container.width + dx, container.height + dy});
  ApplyLayoutTable(ContainerLayout(), windows.ContainerSurface(), dx, dy);
  for (int page = 0; page < windows.PageCount(); ++page) {
    ApplyLayoutTable(windows.PageLayout(page), windows.PageSurface(page), dx, dy);
    const PixelSize size = windows.PageSize(page);
    windows.ResizePage(page, PixelSize{size.width + dx, size.height + dy});
  }
}

int CentredOrigin(int screenExtent, int windowExtent) {
  return (screenExtent - windowExtent) / 2;
}

}  // namespace quillex
