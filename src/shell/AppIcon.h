#pragma once

// Standard library
#include <array>

// Qt
#include <QIcon>
#include <QImage>

class QPainter;

namespace quillex {

// The sizes in pixels the icon is made in: the window's icon carries them
// all, and the installed icon theme holds one picture of each.
inline constexpr std::array<int, 8> kAppIconSizes = {16, 22, 24, 32, 48, 64, 128, 256};

// Paints the program icon (104) into the square from (0, 0) to (edge, edge)
// of any paint device: a dark blue tile with a white "Q" and a yellow quill
// stroke. It is the one drawing of the icon; the window's icon, the icon
// theme's pictures and the scalable icon are all made with it.
void PaintAppIcon(QPainter& painter, qreal edge);

// The icon as an image of size x size pixels, transparent around the tile.
[[nodiscard]] QImage AppIconImage(int size);

// The window's icon: one picture per size of kAppIconSizes.
[[nodiscard]] QIcon MakeAppIcon();

}  // namespace quillex
