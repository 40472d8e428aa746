#include "views/gui/KindIcons.h"

// Qt
#include <QColor>
#include <QPainter>
#include <QPainterPath>
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

QImage DrawLetter(unsigned kind, const QColor& colour) {
  QImage image(KindIcons::kSize, KindIcons::kSize, QImage::Format_RGB32);
  image.fill(Qt::white);
  QPainter painter(&image);
  // Smoothing only blends the letter's colour with white, so no pixel can
  // come out black.
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

}  // namespace

KindIcons::KindIcons() {
  const QColor colours[3] = {QColor(0, 128, 0), QColor(255, 0, 0), QColor(0, 0, 255)};
  for (unsigned kind = 0; kind < 3; ++kind) {
    images_[kind] = DrawLetter(kind, colours[kind]);
    icons_[kind] = QIcon(QPixmap::fromImage(images_[kind]));
  }
}

const QIcon& KindIcons::Icon(unsigned kind) const {
  return kind < icons_.size() ? icons_[kind] : none_;
}

const QImage& KindIcons::Image(unsigned kind) const {
  return kind < images_.size() ? images_[kind] : noImage_;
}

const KindIcons& KindIcons::Shared() {
  static const KindIcons icons;
  return icons;
}

}  // namespace quillex
