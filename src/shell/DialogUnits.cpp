#include "shell/DialogUnits.h"

// Standard library
#include <cstdint>

// Qt
#include <QFont>
#include <QFontMetrics>
#include <QStringList>

namespace quillex {

int MulDivRound(int a, int b, int c) {
  if (c == 0) {
    return -1;
  }
  const std::int64_t product = std::int64_t{a} * b;
  const std::int64_t half = (c < 0 ? -std::int64_t{c} : std::int64_t{c}) / 2;
  const bool negative = (product < 0) != (c < 0);
  const std::int64_t magnitude =
      ((product < 0 ? -product : product) + half) / (c < 0 ? -std::int64_t{c} : c);
  return static_cast<int>(negative ? -magnitude : magnitude);
}

PixelRect DialogRectToPixels(const DialogUnitScale& scale, int x, int y, int cx, int cy) {
  return PixelRect{MulDivRound(x, scale.averageCharWidth, 4), MulDivRound(y, scale.charHeight, 8),
                   MulDivRound(x + cx, scale.averageCharWidth, 4),
                   MulDivRound(y + cy, scale.charHeight, 8)};
}

DialogUnitScale ScaleFromLetterWidth(int widthOf52Letters, int lineHeight) {
  return DialogUnitScale{(widthOf52Letters / 26 + 1) / 2, lineHeight};
}

QFont DialogFont() {
  QFont font;
  // Nimbus Sans and Liberation Sans have the metrics of the Helvetica family
  // that "MS Sans Serif" was drawn after; DejaVu Sans is the last resort.
  font.setFamilies(QStringList{QStringLiteral("MS Sans Serif"),
                               QStringLiteral("Microsoft Sans Serif"),
                               QStringLiteral("Nimbus Sans"), QStringLiteral("Liberation Sans"),
                               QStringLiteral("Arial"), QStringLiteral("DejaVu Sans")});
  font.setStyleHint(QFont::SansSerif);
  font.setPointSize(8);
  return font;
}

DialogUnitScale ScaleForFont(const QFont& font) {
  const QFontMetrics metrics(font);
  const int letters = metrics.horizontalAdvance(
      QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
  return ScaleFromLetterWidth(letters, metrics.height());
}

}  // namespace quillex
