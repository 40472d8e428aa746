#pragma once

// Qt
#include <QImage>

namespace quillex {

// The size of the vertical logo in pixels.
inline constexpr int kLogoBitmapWidth = 32;
inline constexpr int kLogoBitmapHeight = 358;

// The vertical logo (bitmap 111): the program's name written upwards on a
// dark blue band. Drawn once at start-up; a null image means no logo is
// painted.
[[nodiscard]] QImage MakeLogoImage();

}  // namespace quillex
