#pragma once

// Qt
#include <QImage>

namespace quillex {

// The vertical logo (bitmap 111, 32 x 358 pixels): the program's name written
// upwards on a dark blue band. Drawn once at start-up; a null image means no
// logo is painted.
[[nodiscard]] QImage MakeLogoImage();

}  // namespace quillex
