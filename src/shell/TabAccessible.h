#pragma once

// Qt
#include <QAccessibleActionInterface>
#include <QAccessibleInterface>
#include <QPointer>
#include <QTabBar>

namespace quillex {

// One tab of the page tabs as a screen reader sees it: a page tab named by
// its title, selected while its page is shown, and focused only while it is
// current and the tab row has the keyboard focus, so that the focus is never
// reported twice. "Press" shows its page.
class TabAccessible : public QAccessibleInterface, public QAccessibleActionInterface {
 public:
  TabAccessible(QTabBar* tabBar, int index) : tabBar_(tabBar), index_(index) {}

  [[nodiscard]] bool isValid() const override;
  [[nodiscard]] QObject* object() const override { return nullptr; }
  [[nodiscard]] QWindow* window() const override;
  [[nodiscard]] QAccessibleInterface* focusChild() const override { return nullptr; }
  [[nodiscard]] QAccessibleInterface* childAt(int /*x*/, int /*y*/) const override {
    return nullptr;
  }
  [[nodiscard]] QAccessibleInterface* parent() const override;
  [[nodiscard]] QAccessibleInterface* child(int /*index*/) const override { return nullptr; }
  [[nodiscard]] int childCount() const override { return 0; }
  [[nodiscard]] int indexOfChild(const QAccessibleInterface* /*child*/) const override {
    return -1;
  }
  [[nodiscard]] QString text(QAccessible::Text t) const override;
  void setText(QAccessible::Text /*t*/, const QString& /*text*/) override {}
  [[nodiscard]] QRect rect() const override;
  [[nodiscard]] QAccessible::Role role() const override { return QAccessible::PageTab; }
  [[nodiscard]] QAccessible::State state() const override;
  void* interface_cast(QAccessible::InterfaceType type) override;

  [[nodiscard]] QStringList actionNames() const override;
  void doAction(const QString& actionName) override;
  [[nodiscard]] QStringList keyBindingsForAction(const QString& actionName) const override;

 private:
  QPointer<QTabBar> tabBar_;
  int index_;
};

}  // namespace quillex
