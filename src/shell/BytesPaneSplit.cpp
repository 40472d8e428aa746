#include "shell/BytesPaneSplit.h"

// Standard library
#include <algorithm>

namespace quillex {

ViewsAndPane SplitForBytesPane(const PixelRect& area, int paneHeight, int gap) {
  const int room = std::max(area.Height() - gap, 0);
  const int pane = std::clamp(paneHeight, 0, room / 2);
  ViewsAndPane split{area, area};
  split.pane.top = area.bottom - pane;
  split.views.bottom = std::max(area.top, split.pane.top - gap);
  return split;
}

}  // namespace quillex
