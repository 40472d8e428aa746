#include "shell/Logo.h"

// Qt
#include <QColor>
#include <QFont>
#include <QLinearGradient>
#include <QPainter>

namespace quillex {

QImage MakeLogoImage() {
  QImage image(kLogoBitmapWidth, kLogoBitmapHeight, QImage::Format_RGB32);
  QPainter painter(&image);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setRenderHint(QPainter::TextAntialiasing);

  QLinearGradient band(0, 0, 0, kLogoBitmapHeight);
  band.setColorAt(0.0, QColor(0x10, 0x20, 0x70));
  band.setColorAt(1.0, QColor(0x30, 0x60, 0xC0));
  painter.fillRect(image.rect(), band);
  painter.fillRect(QRect(kLogoBitmapWidth - 3, 0, 3, kLogoBitmapHeight), QColor(0xFF, 0xD0, 0x30));

  // Written upwards: the baseline runs from the bottom of the band to the top.
  painter.translate(0, kLogoBitmapHeight);
  painter.rotate(-90);
  QFont name(QStringLiteral("Sans Serif"));
  name.setPixelSize(20);
  name.setBold(true);
  painter.setFont(name);
  painter.setPen(Qt::white);
  painter.drawText(QRect(14, 0, 240, kLogoBitmapWidth - 3), Qt::AlignLeft | Qt::AlignVCenter,
                   QStringLiteral("Quillex"));
  QFont version(QStringLiteral("Sans Serif"));
  version.setPixelSize(11);
  painter.setFont(version);
  painter.setPen(QColor(0xFF, 0xD0, 0x30));
  painter.drawText(QRect(kLogoBitmapHeight - 60, 0, 50, kLogoBitmapWidth - 3),
                   Qt::AlignRight | Qt::AlignVCenter, QStringLiteral(QUILLEX_VERSION));
  painter.end();
  return image;
}

}  // namespace quillex
