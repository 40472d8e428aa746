#pragma once

// Standard library
#include <array>

// Qt
#include <QIcon>
#include <QImage>

// Ours
#include "store/StringKind.h"

namespace quillex {

// The 12 x 12 pictures of the three string kinds, drawn at start-up: a slanted
// capital A in green (ANSI), U in red (Unicode) and R in blue (resource), on
// white. No pixel is black, so they are drawn opaque.
class KindIcons {
 public:
  static constexpr int kSize = 12;

  KindIcons();

  // Index = StringKind value; an unknown kind gets a null icon.
  [[nodiscard]] const QIcon& Icon(unsigned kind) const;
  [[nodiscard]] const QImage& Image(unsigned kind) const;

  // The process-wide set, created on first use (needs a QGuiApplication).
  [[nodiscard]] static const KindIcons& Shared();

 private:
  std::array<QImage, 3> images_;
  std::array<QIcon, 3> icons_;
  QIcon none_;
  QImage noImage_;
};

}  // namespace quillex
