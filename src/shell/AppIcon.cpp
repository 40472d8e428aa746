#include "shell/AppIcon.h"

// Qt
#include <QColor>
#include <QFont>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace quillex {

namespace {

QPixmap DrawIcon(int size) {
  QPixmap pixmap(size, size);
  pixmap.fill(Qt::transparent);
  QPainter painter(&pixmap);
  painter.setRenderHint(QPainter::Antialiasing);
  const qreal edge = size;
  painter.setPen(Qt::NoPen);
  painter.setBrush(QColor(0x10, 0x20, 0x70));
  painter.drawRoundedRect(QRectF(0, 0, edge, edge), edge / 6, edge / 6);

  QFont font(QStringLiteral("Sans Serif"));
  font.setPixelSize(static_cast<int>(edge * 0.7));
  font.setBold(true);
  painter.setFont(font);
  painter.setPen(Qt::white);
  painter.drawText(QRectF(0, 0, edge, edge), Qt::AlignCenter, QStringLiteral("Q"));

  // A quill stroke across the lower right corner.
  QPainterPath quill;
  quill.moveTo(edge * 0.45, edge * 0.95);
  quill.quadTo(edge * 0.70, edge * 0.65, edge * 0.95, edge * 0.45);
  quill.quadTo(edge * 0.80, edge * 0.75, edge * 0.45, edge * 0.95);
  painter.setBrush(QColor(0xFF, 0xD0, 0x30));
  painter.setPen(QPen(QColor(0xFF, 0xD0, 0x30), qMax(1.0, edge / 32)));
  painter.drawPath(quill);
  painter.end();
  return pixmap;
}

}  // namespace

QIcon MakeAppIcon() {
  QIcon icon;
  for (const int size : {16, 32, 48}) {
    icon.addPixmap(DrawIcon(size));
  }
  return icon;
}

}  // namespace quillex
