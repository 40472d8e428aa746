#pragma once

// Qt
#include <QPalette>

namespace quillex {

// The colours of both result views: black text on white, and a selection
// that looks the same with or without focus, so that what Find selected stays
// visible while the user types in the Find field.
[[nodiscard]] inline QPalette ViewPalette(QPalette colours) {
  for (const QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
    colours.setColor(group, QPalette::Base, Qt::white);
    colours.setColor(group, QPalette::Text, Qt::black);
    colours.setColor(group, QPalette::Highlight,
                     colours.color(QPalette::Active, QPalette::Highlight));
    colours.setColor(group, QPalette::HighlightedText,
                     colours.color(QPalette::Active, QPalette::HighlightedText));
  }
  return colours;
}

}  // namespace quillex
