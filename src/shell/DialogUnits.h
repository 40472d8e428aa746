#pragma once

// Quillex
#include "shell/PixelRect.h"

class QFont;

namespace quillex {

// The dialog font's base units, from which dialog units are derived: a
// horizontal dialog unit is a quarter of the average character width, a
// vertical one an eighth of the character height. Templates are laid out in
// dialog units so that they grow with the font instead of clipping labels.
struct DialogUnitScale {
  int averageCharWidth = 6;
  int charHeight = 13;
};

// Rounds a * b / c to the nearest integer, halves away from zero.
[[nodiscard]] int MulDivRound(int a, int b, int c);

// Converts a rectangle given by its origin and size in dialog units to pixels.
// The corners are converted, not the size, so that adjacent controls stay
// adjacent whatever the scale.
[[nodiscard]] PixelRect DialogRectToPixels(const DialogUnitScale& scale, int x, int y, int cx,
                                           int cy);

// The average character width the way dialog units define it: the width of
// the 52 letters A-Z and a-z, divided by 26, plus one, halved (rounding up a
// fraction), and the font's line height.
[[nodiscard]] DialogUnitScale ScaleFromLetterWidth(int widthOf52Letters, int lineHeight);

// The dialog font: "MS Sans Serif" 8, or the closest sans font installed.
[[nodiscard]] QFont DialogFont();
[[nodiscard]] DialogUnitScale ScaleForFont(const QFont& font);

}  // namespace quillex
