#include "shell/LogoButton.h"

// Standard library
#include <utility>

// Qt
#include <QPainter>

namespace quillex {

LogoButton::LogoButton(QImage logo, QWidget* parent) : QWidget(parent), logo_(std::move(logo)) {
  setFocusPolicy(Qt::NoFocus);
}

void LogoButton::paintEvent(QPaintEvent* /*event*/) {
  if (logo_.isNull()) {
    return;
  }
  QPainter painter(this);
  painter.setRenderHint(QPainter::SmoothPixmapTransform);
  painter.drawImage(rect(), logo_);
}

}  // namespace quillex
