#pragma once

// Quillex
#include "shell/PixelRect.h"

namespace quillex {

// The result views' rectangle and the pane of bytes under it.
struct ViewsAndPane {
  PixelRect views;
  PixelRect pane;
};

// Shares `area`, the rectangle the result views fill while the pane is
// hidden, between the views and the pane shown under them with `gap` pixels
// between the two. The pane gets the height it asks for, but never
// more than the views keep: on a small page both get half.
[[nodiscard]] ViewsAndPane SplitForBytesPane(const PixelRect& area, int paneHeight, int gap);

}  // namespace quillex
