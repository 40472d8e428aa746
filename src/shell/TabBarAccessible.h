#pragma once

// Standard library
#include <map>

// Qt
#include <QAccessibleWidget>
#include <QTabBar>

namespace quillex {

// The page tabs as a screen reader sees them: a page tab list whose children
// are the tabs (TabAccessible), and only them.
class TabBarAccessible : public QAccessibleWidget {
 public:
  explicit TabBarAccessible(QTabBar* tabBar);
  ~TabBarAccessible() override;
  TabBarAccessible(const TabBarAccessible&) = delete;
  TabBarAccessible& operator=(const TabBarAccessible&) = delete;

  [[nodiscard]] int childCount() const override;
  [[nodiscard]] QAccessibleInterface* child(int index) const override;
  [[nodiscard]] int indexOfChild(const QAccessibleInterface* child) const override;
  [[nodiscard]] QAccessibleInterface* focusChild() const override;

  // The object name that makes a tab bar use this interface.
  static constexpr const char* kObjectName = "pageTabs";
  // Makes Qt ask this class for tab bars of that name; once per program.
  static void Install();

 private:
  [[nodiscard]] QTabBar* TabBar() const;

  // The tabs' interfaces, made when first asked for and kept by Qt's
  // registry until this one goes.
  mutable std::map<int, QAccessible::Id> tabs_;
};

}  // namespace quillex
