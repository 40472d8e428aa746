#include "views/gui/TagTint.h"

// Standard library
#include <array>
#include <cmath>

namespace quillex {

namespace {

// By TagCategory; the first (None) is never mixed in.
constexpr std::array<QRgb, kTagCategoryCount> kHues{
    0x000000,  // None
    0x0078FF,  // Network: blue
    0x00AA3C,  // FileSystem: green
    0xA03CDC,  // Registry: violet
    0xF08C00,  // EncodedData: amber
};

int Mix(int base, int hue) {
  return static_cast<int>(std::lround(base * (1.0 - kTagTintStrength) + hue * kTagTintStrength));
}

}  // namespace

QColor TagTint(TagCategory category, const QColor& base) {
  const auto index = static_cast<std::size_t>(category);
  if (category == TagCategory::None || index >= kHues.size()) {
    return base;
  }
  const QColor hue = QColor::fromRgb(kHues[index]);
  const QColor rgb = base.toRgb();
  return QColor(Mix(rgb.red(), hue.red()), Mix(rgb.green(), hue.green()),
                Mix(rgb.blue(), hue.blue()));
}

}  // namespace quillex
