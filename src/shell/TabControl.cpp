#include "shell/TabControl.h"

// Qt
#include <QResizeEvent>
#include <QStyleOptionTabWidgetFrame>
#include <QStylePainter>
#include <QTabBar>

// Quillex
#include "shell/TabBarAccessible.h"

namespace quillex {

namespace {

// Space between the frame and the display area, in pixels.
constexpr int kFrameMargin = 2;

}  // namespace

TabControl::TabControl(QWidget* parent) : QWidget(parent), tabBar_(new QTabBar(this)) {
  TabBarAccessible::Install();
  tabBar_->setObjectName(QString::fromLatin1(TabBarAccessible::kObjectName));
  tabBar_->setAccessibleName(QStringLiteral("Pages"));
  tabBar_->setDrawBase(false);
  tabBar_->setExpanding(false);
  tabBar_->setFocusPolicy(Qt::TabFocus);
}

QRect TabControl::DisplayArea() const {
  const int top = tabBar_->sizeHint().height();
  return QRect(0, top, width(), height() - top)
      .adjusted(kFrameMargin, kFrameMargin, -kFrameMargin, -kFrameMargin);
}

void TabControl::paintEvent(QPaintEvent* /*event*/) {
  QStylePainter painter(this);
  QStyleOptionTabWidgetFrame option;
  option.initFrom(this);
  const int top = tabBar_->sizeHint().height();
  option.rect = QRect(0, top - 1, width(), height() - top + 1);
  option.shape = QTabBar::RoundedNorth;
  option.tabBarSize = tabBar_->sizeHint();
  option.tabBarRect = QRect(QPoint(0, 0), tabBar_->sizeHint());
  option.selectedTabRect = tabBar_->tabRect(tabBar_->currentIndex());
  painter.drawPrimitive(QStyle::PE_FrameTabWidget, option);
}

void TabControl::resizeEvent(QResizeEvent* event) {
  tabBar_->setGeometry(0, 0, event->size().width(), tabBar_->sizeHint().height());
  QWidget::resizeEvent(event);
}

}  // namespace quillex
