#include "shell/AppIcon.h"

// Qt
#include <QColor>
#include <QFont>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QTransform>

namespace quillex {

namespace {

const QColor kTileColor(0x10, 0x20, 0x70);
const QColor kQuillColor(0xFF, 0xD0, 0x30);

// The letter is laid out once at this size and scaled to the icon, so every
// size shows the same outline.
constexpr qreal kLetterLayoutEdge = 1000;

QPainterPath LetterOutline(qreal edge) {
  QFont font(QStringLiteral("Sans Serif"));
  font.setPixelSize(static_cast<int>(kLetterLayoutEdge * 0.7));
  font.setBold(true);
  QPainterPath letter;
  letter.addText(0, 0, font, QStringLiteral("Q"));
  // The outline's own box is centred on the tile, which centres the ink
  // rather than the font's line box.
  const QPointF inkCentre = letter.boundingRect().center();
  QTransform place;
  place.scale(edge / kLetterLayoutEdge, edge / kLetterLayoutEdge);
  place.translate(kLetterLayoutEdge / 2 - inkCentre.x(), kLetterLayoutEdge / 2 - inkCentre.y());
  return place.map(letter);
}

}  // namespace

void PaintAppIcon(QPainter& painter, qreal edge) {
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setPen(Qt::NoPen);
  painter.setBrush(kTileColor);
  painter.drawRoundedRect(QRectF(0, 0, edge, edge), edge / 6, edge / 6);

  // An outline rather than text, so that the scalable icon does not depend
  // on the fonts of whoever shows it.
  painter.setBrush(Qt::white);
  painter.drawPath(LetterOutline(edge));

  // A quill stroke across the lower right corner.
  QPainterPath quill;
  quill.moveTo(edge * 0.45, edge * 0.95);
  quill.quadTo(edge * 0.70, edge * 0.65, edge * 0.95, edge * 0.45);
  quill.quadTo(edge * 0.80, edge * 0.75, edge * 0.45, edge * 0.95);
  painter.setBrush(kQuillColor);
  painter.setPen(QPen(kQuillColor, qMax(1.0, edge / 32)));
  painter.drawPath(quill);
  painter.restore();
}

QImage AppIconImage(int size) {
  QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  QPainter painter(&image);
  PaintAppIcon(painter, size);
  painter.end();
  return image;
}

QIcon MakeAppIcon() {
  QIcon icon;
  for (const int size : kAppIconSizes) {
    icon.addPixmap(QPixmap::fromImage(AppIconImage(size)));
  }
  return icon;
}

}  // namespace quillex
