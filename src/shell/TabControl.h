#pragma once

// Qt
#include <QRect>
#include <QWidget>

class QTabBar;

namespace quillex {

// The tab control of the container (1016): a row of tabs over a framed
// display area. The pages are not its children: they are siblings placed over
// the display area, so that the layout pass can size them like any control.
class TabControl : public QWidget {
  Q_OBJECT

 public:
  explicit TabControl(QWidget* parent = nullptr);

  [[nodiscard]] QTabBar* TabBar() const { return tabBar_; }
  // The area inside the frame, below the tabs, in this widget's coordinates.
  [[nodiscard]] QRect DisplayArea() const;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  QTabBar* tabBar_;
};

}  // namespace quillex
