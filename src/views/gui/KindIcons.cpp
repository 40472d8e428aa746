#include "views/gui/KindIcons.h"

// Standard library
#include <memory>
#include <vector>

// Qt
#include <QColor>
#include <QGuiApplication>
#include <QPainter>
#include <QPainterPath>
#include <QPalette>
#include <QPen>
#include <QPixmap>
#include <QTransform>

namespace quillex {

namespace {

// The letters as strokes on the 12 x 12 grid, upright; a shear slants them.
// Strokes rather than a font glyph keep the pictures the same on every system.
QPainterPath LetterPath(unsigned kind) {
  QPainterPath path;
  switch (kind) {
    case 0:  // A
      path.moveTo(2.0, 11.0);
      path.lineTo(6.0, 1.0);
      path.lineTo(10.0, 11.0);
      path.moveTo(3.6, 7.0);
      path.lineTo(8.4, 7.0);
      break;
    case 1:  // U
      path.moveTo(3.0, 1.0);
      path.lineTo(3.0, 8.0);
      path.cubicTo(3.0, 11.5, 9.0, 11.5, 9.0, 8.0);
      path.lineTo(9.0, 1.0);
      break;
    default:  // R
      path.moveTo(3.0, 11.0);
      path.lineTo(3.0, 1.0);
      path.lineTo(6.5, 1.0);
      path.cubicTo(9.5, 1.0, 9.5, 6.0, 6.5, 6.0);
      path.lineTo(3.0, 6.0);
      path.moveTo(6.0, 6.0);
      path.lineTo(9.5, 11.0);
      break;
  }
  return path;
}

QImage DrawLetter(unsigned kind, const QColor& colour, const QColor& background) {
  QImage image(KindIcons::kSize, KindIcons::kSize, QImage::Format_RGB32);
  image.fill(background);
  QPainter painter(&image);
  // Smoothing only blends the letter's colour with the background, so on
  // white no pixel can come out black.
  painter.setRenderHint(QPainter::Antialiasing, true);
  // x' = x - 0.25 y + 2.5: the top of the letter leans right.
  painter.setTransform(QTransform(1.0, 0.0, -0.25, 1.0, 2.5, 0.0));
  QPen pen(colour);
  pen.setWidthF(1.7);
  pen.setCapStyle(Qt::FlatCap);
  pen.setJoinStyle(Qt::MiterJoin);
  painter.setPen(pen);
  painter.setBrush(Qt::NoBrush);
  painter.drawPath(LetterPath(kind));
  painter.end();
  return image;
}

bool IsDark(const QColor& colour) {
  return colour.lightness() < 128;
}

}  // namespace

const char* KindName(unsigned kind) {
  switch (kind) {
    case 0:
      return "ANSI";
    case 1:
      return "Unicode";
    case 2:
      return "Resource";
    default:
      return "";
  }
}

KindIcons::KindIcons(const QColor& background) : background_(background) {
  for (unsigned kind = 0; kind < 3; ++kind) {
    images_[kind] = DrawLetter(kind, LetterColour(kind), background_);
    icons_[kind] = QIcon(QPixmap::fromImage(images_[kind]));
  }
}

QColor KindIcons::LetterColour(unsigned kind) const {
  // Dark green and pure blue are hard to read on a dark background; these
  // lighter shades keep the hues.
  static constexpr std::array<QRgb, 3> kLight{qRgb(0, 128, 0), qRgb(255, 0, 0), qRgb(0, 0, 255)};
  static constexpr std::array<QRgb, 3> kDark{qRgb(96, 208, 96), qRgb(255, 110, 110),
                                             qRgb(128, 160, 255)};
  if (kind >= kLight.size()) {
    return {};
  }
  return QColor(IsDark(background_) ? kDark[kind] : kLight[kind]);
}

const QIcon& KindIcons::Icon(unsigned kind) const {
  return kind < icons_.size() ? icons_[kind] : none_;
}

const QImage& KindIcons::Image(unsigned kind) const {
  return kind < images_.size() ? images_[kind] : noImage_;
}

const KindIcons& KindIcons::Shared() {
  return For(QGuiApplication::palette().color(QPalette::Base));
}

const KindIcons& KindIcons::For(const QColor& background) {
  // A theme brings one or two backgrounds, so a short list serves; the sets
  // stay where they are, so references to them stay valid.
  static std::vector<std::unique_ptr<KindIcons>> sets;
  for (const std::unique_ptr<KindIcons>& set : sets) {
    if (set->Background().rgb() == background.rgb()) {
      return *set;
    }
  }
  sets.push_back(std::make_unique<KindIcons>(background));
  return *sets.back();
}

}  // namespace quillex
