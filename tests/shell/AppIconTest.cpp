// Standard library
#include <algorithm>

#include <gtest/gtest.h>

// Qt
#include <QColor>
#include <QImage>

// Quillex
#include "shell/AppIcon.h"

namespace quillex {
namespace {

bool IsWhite(QRgb pixel) {
  return qAlpha(pixel) == 255 && qRed(pixel) > 230 && qGreen(pixel) > 230 && qBlue(pixel) > 230;
}

bool IsQuillYellow(QRgb pixel) {
  return qAlpha(pixel) == 255 && qRed(pixel) > 200 && qGreen(pixel) > 150 && qBlue(pixel) < 120;
}

TEST(AppIcon, EverySizeShowsTileLetterAndQuill) {
  for (const int size : kAppIconSizes) {
    const QImage image = AppIconImage(size).convertToFormat(QImage::Format_ARGB32);
    ASSERT_EQ(image.size(), QSize(size, size));
    // Rounded corners leave the very corner (nearly) transparent.
    EXPECT_LT(qAlpha(image.pixel(0, 0)), 64) << size;
    EXPECT_LT(qAlpha(image.pixel(size - 1, 0)), 64) << size;
    // The left edge's middle is bare tile, left of the letter.
    const QRgb edge = image.pixel(size / 16, size / 2);
    EXPECT_EQ(QColor(edge).rgb(), QColor(0x10, 0x20, 0x70).rgb()) << size;
    int white = 0;
    int yellow = 0;
    for (int y = 0; y < size; ++y) {
      for (int x = 0; x < size; ++x) {
        white += IsWhite(image.pixel(x, y)) ? 1 : 0;
        yellow += IsQuillYellow(image.pixel(x, y)) ? 1 : 0;
      }
    }
    // The letter and the quill each cover a visible part of the tile.
    EXPECT_GT(white, size * size / 50) << size;
    EXPECT_GT(yellow, size * size / 100) << size;
  }
}

TEST(AppIcon, WindowIconHoldsEverySize) {
  const QIcon icon = MakeAppIcon();
  const QList<QSize> sizes = icon.availableSizes();
  for (const int size : kAppIconSizes) {
    EXPECT_TRUE(std::find(sizes.begin(), sizes.end(), QSize(size, size)) != sizes.end()) << size;
  }
}

}  // namespace
}  // namespace quillex
