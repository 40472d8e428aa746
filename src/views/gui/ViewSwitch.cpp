#include "views/gui/ViewSwitch.h"

// Qt
#include <QWidget>

namespace quillex {

void SwitchView(bool advanced, QWidget* list, QWidget* normalView) {
  QWidget* shown = advanced ? list : normalView;
  QWidget* hidden = advanced ? normalView : list;
  if (shown != nullptr) {
    shown->show();
  }
  if (hidden != nullptr) {
    hidden->hide();
  }
  if (shown != nullptr) {
    shown->update();
  }
}

}  // namespace quillex
