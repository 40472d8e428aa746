#include "shell/TabAccessible.h"

// Qt
#include <QWidget>

namespace quillex {

bool TabAccessible::isValid() const {
  return tabBar_ != nullptr && index_ >= 0 && index_ < tabBar_->count();
}

QWindow* TabAccessible::window() const {
  return tabBar_ != nullptr ? tabBar_->window()->windowHandle() : nullptr;
}

QAccessibleInterface* TabAccessible::parent() const {
  return QAccessible::queryAccessibleInterface(tabBar_.data());
}

QString TabAccessible::text(QAccessible::Text t) const {
  if (!isValid()) {
    return {};
  }
  switch (t) {
    case QAccessible::Name: {
      // A mnemonic's "&" is not spoken; "&&" is one ampersand.
      QString name = tabBar_->tabText(index_);
      name.replace(QStringLiteral("&&"), QStringLiteral("\x01"));
      name.remove(QLatin1Char('&'));
      name.replace(QLatin1Char('\x01'), QLatin1Char('&'));
      return name;
    }
    case QAccessible::Description:
      return tabBar_->tabToolTip(index_);
    default:
      return {};
  }
}

QRect TabAccessible::rect() const {
  if (!isValid()) {
    return {};
  }
  const QRect tab = tabBar_->tabRect(index_);
  return QRect(tabBar_->mapToGlobal(tab.topLeft()), tab.size());
}

QAccessible::State TabAccessible::state() const {
  QAccessible::State state;
  if (!isValid()) {
    state.invalid = true;
    return state;
  }
  const bool current = index_ == tabBar_->currentIndex();
  state.focusable = tabBar_->focusPolicy() != Qt::NoFocus;
  state.selectable = true;
  state.selected = current;
  state.focused = current && tabBar_->hasFocus();
  state.invisible = !tabBar_->isVisible();
  state.disabled = !tabBar_->isEnabled() || !tabBar_->isTabEnabled(index_);
  return state;
}

void* TabAccessible::interface_cast(QAccessible::InterfaceType type) {
  if (type == QAccessible::ActionInterface) {
    return static_cast<QAccessibleActionInterface*>(this);
  }
  return nullptr;
}

QStringList TabAccessible::actionNames() const {
  return {pressAction()};
}

void TabAccessible::doAction(const QString& actionName) {
  if (actionName == pressAction() && isValid() && tabBar_->isEnabled()) {
    tabBar_->setCurrentIndex(index_);
  }
}

QStringList TabAccessible::keyBindingsForAction(const QString& /*actionName*/) const {
  return {};
}

}  // namespace quillex
