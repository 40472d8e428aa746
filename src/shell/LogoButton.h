#pragma once

// Qt
#include <QImage>
#include <QWidget>

namespace quillex {

// The container's owner-drawn logo control (1006): the logo stretched over
// the whole control, whatever its size. Paints nothing when the logo is null.
class LogoButton : public QWidget {
  Q_OBJECT

 public:
  explicit LogoButton(QImage logo, QWidget* parent = nullptr);

  [[nodiscard]] const QImage& Logo() const { return logo_; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QImage logo_;
};

}  // namespace quillex
