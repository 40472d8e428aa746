#include "shell/TabBarAccessible.h"

// Qt
#include <QString>

// Quillex
#include "shell/TabAccessible.h"

namespace quillex {

namespace {

QAccessibleInterface* PageTabsFactory(const QString& className, QObject* object) {
  if (className == QLatin1String("QTabBar") && object != nullptr &&
      object->objectName() == QLatin1String(TabBarAccessible::kObjectName)) {
    return new TabBarAccessible(static_cast<QTabBar*>(object));
  }
  return nullptr;
}

}  // namespace

TabBarAccessible::TabBarAccessible(QTabBar* tabBar)
    : QAccessibleWidget(tabBar, QAccessible::PageTabList) {}

TabBarAccessible::~TabBarAccessible() {
  for (const auto& [index, id] : tabs_) {
    QAccessible::deleteAccessibleInterface(id);
  }
}

void TabBarAccessible::Install() {
  static const bool installed = [] {
    QAccessible::installFactory(PageTabsFactory);
    return true;
  }();
  (void)installed;
}

QTabBar* TabBarAccessible::TabBar() const {
  return static_cast<QTabBar*>(object());
}

int TabBarAccessible::childCount() const {
  return TabBar()->count();
}

QAccessibleInterface* TabBarAccessible::child(int index) const {
  if (index < 0 || index >= childCount()) {
    return nullptr;
  }
  if (const auto found = tabs_.find(index); found != tabs_.end()) {
    return QAccessible::accessibleInterface(found->second);
  }
  auto* tab = new TabAccessible(TabBar(), index);
  tabs_[index] = QAccessible::registerAccessibleInterface(tab);
  return tab;
}

int TabBarAccessible::indexOfChild(const QAccessibleInterface* child) const {
  for (const auto& [index, id] : tabs_) {
    if (QAccessible::accessibleInterface(id) == child) {
      return index;
    }
  }
  return -1;
}

QAccessibleInterface* TabBarAccessible::focusChild() const {
  return TabBar()->hasFocus() ? child(TabBar()->currentIndex()) : nullptr;
}

}  // namespace quillex
