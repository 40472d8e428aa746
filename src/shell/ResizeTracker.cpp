#include "shell/ResizeTracker.h"

namespace quillex {

std::optional<PixelSize> ResizeTracker::OnSize(PixelSize newSize, bool minimised) {
  if (minimised) {
    return std::nullopt;
  }
  const PixelSize change{newSize.width - last_.width, newSize.height - last_.height};
  last_ = newSize;
  if (!layoutReady_) {
    return std::nullopt;
  }
  return change;
}

}  // namespace quillex
