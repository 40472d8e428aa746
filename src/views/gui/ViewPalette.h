#pragma once

// Qt
#include <QPalette>

namespace quillex {

// The colours a result view paints with: the palette's own, so that the
// views follow a light or a dark theme, with a selection that looks the same
// with or without focus, so that what Find selected stays visible while the
// user types in the Find field.
[[nodiscard]] inline QPalette ViewPalette(QPalette colours) {
  for (const QPalette::ColorRole role : {QPalette::Highlight, QPalette::HighlightedText}) {
    colours.setColor(QPalette::Inactive, role, colours.color(QPalette::Active, role));
  }
  return colours;
}

}  // namespace quillex
