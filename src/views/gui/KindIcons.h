#pragma once

// Standard library
#include <array>

// Qt
#include <QColor>
#include <QIcon>
#include <QImage>

// Ours
#include "store/StringKind.h"

namespace quillex {

// What a kind is called where its letter cannot be seen: "ANSI", "Unicode",
// "Resource"; empty for an unknown kind.
[[nodiscard]] const char* KindName(unsigned kind);

// The 12 x 12 pictures of the three string kinds: a slanted capital A in
// green (ANSI), U in red (Unicode) and R in blue (resource), on the list's
// background. On a light background the letters have their classic colours
// (and, on white, no pixel is black); on a dark one they are lighter shades
// of the same hues, so that they stand out as well.
class KindIcons {
 public:
  static constexpr int kSize = 12;

  explicit KindIcons(const QColor& background = QColor(Qt::white));

  // Index = StringKind value; an unknown kind gets a null icon.
  [[nodiscard]] const QIcon& Icon(unsigned kind) const;
  [[nodiscard]] const QImage& Image(unsigned kind) const;
  [[nodiscard]] const QColor& Background() const { return background_; }
  // The letter's colour of a kind on this background.
  [[nodiscard]] QColor LetterColour(unsigned kind) const;

  // The set for the application palette's base colour (the list's
  // background), made on first use and again after the palette changes.
  // Needs a QGuiApplication.
  [[nodiscard]] static const KindIcons& Shared();
  // The set for a background; sets are kept, one per colour asked for.
  [[nodiscard]] static const KindIcons& For(const QColor& background);

 private:
  QColor background_;
  std::array<QImage, 3> images_;
  std::array<QIcon, 3> icons_;
  QIcon none_;
  QImage noImage_;
};

}  // namespace quillex
