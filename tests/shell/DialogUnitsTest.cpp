#include <gtest/gtest.h>

// Qt
#include <QFont>

// Quillex
#include "shell/DialogUnits.h"

namespace quillex {
namespace {

TEST(DialogUnits, MulDivRoundsHalvesAwayFromZero) {
  EXPECT_EQ(MulDivRound(386, 6, 4), 579);
  EXPECT_EQ(MulDivRound(5, 6, 4), 8);    // 7.5
  EXPECT_EQ(MulDivRound(1, 6, 4), 2);    // 1.5
  EXPECT_EQ(MulDivRound(1, 5, 4), 1);    // 1.25
  EXPECT_EQ(MulDivRound(-5, 6, 4), -8);  // -7.5
  EXPECT_EQ(MulDivRound(231, 13, 8), 375);
  EXPECT_EQ(MulDivRound(1, 1, 0), -1);
}

TEST(DialogUnits, RectanglesConvertCornersSoNeighboursStayAdjacent) {
  const DialogUnitScale scale{6, 13};
  // Go: 298,8 35 x 18.
  EXPECT_EQ(DialogRectToPixels(scale, 298, 8, 35, 18), (PixelRect{447, 13, 500, 42}));
  // The container: 386 x 231 at the usual scale is 579 x 375 pixels.
  const PixelRect container = DialogRectToPixels(scale, 0, 0, 386, 231);
  EXPECT_EQ(container.Width(), 579);
  EXPECT_EQ(container.Height(), 375);
  // Two boxes that touch in dialog units touch in pixels too, whatever the
  // rounding of each.
  const DialogUnitScale odd{7, 15};
  for (int x = 0; x < 40; ++x) {
    const PixelRect left = DialogRectToPixels(odd, x, 3, 5, 9);
    const PixelRect right = DialogRectToPixels(odd, x + 5, 3, 7, 9);
    EXPECT_EQ(left.right, right.left) << x;
  }
}

TEST(DialogUnits, ScaleFollowsTheDialogFont) {
  // The average width of the 52 letters, rounded: 312 / 26 = 12, (12 + 1) / 2.
  EXPECT_EQ(ScaleFromLetterWidth(312, 13).averageCharWidth, 6);
  EXPECT_EQ(ScaleFromLetterWidth(338, 13).averageCharWidth, 7);  // 13 -> 7 (rounds up)
  EXPECT_EQ(ScaleFromLetterWidth(338, 16).charHeight, 16);

  const QFont font = DialogFont();
  EXPECT_EQ(font.pointSize(), 8);
  const DialogUnitScale scale = ScaleForFont(font);
  EXPECT_GT(scale.averageCharWidth, 0);
  EXPECT_GT(scale.charHeight, scale.averageCharWidth);
  // A larger font gives larger dialog units.
  QFont larger = font;
  larger.setPointSize(16);
  const DialogUnitScale big = ScaleForFont(larger);
  EXPECT_GT(big.averageCharWidth, scale.averageCharWidth);
  EXPECT_GT(big.charHeight, scale.charHeight);
}

}  // namespace
}  // namespace quillex
