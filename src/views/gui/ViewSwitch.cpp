#include "views/gui/ViewSwitch.h"

// Standard library
#include <algorithm>
#include <new>
#include <string>

// Qt
#include <QWidget>

// Ours
#include "store/StringPool.h"
#include "views/gui/NormalView.h"
#include "views/gui/ResultListModel.h"

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

void ClearViews(ResultListModel& model, NormalView& normalView) {
  model.ClearRows();
  normalView.Clear();
}

void FillNormalView(NormalView& normalView, const StringPool& pool) {
  const std::size_t used = pool.UsedBytes();
  if (used == 0 || pool.Bytes() == nullptr) {
    return;
  }
  // The view reads the pool's buffer in place, every text's NUL shown as
  // the space between two texts: no second copy of tens of megabytes. The
  // pool stays unchanged until the next scan, and every scan empties the
  // views before it touches the store.
  normalView.SetBytes(std::string_view(pool.Bytes(), used));
}

void CollapseSelection(NormalView& normalView) {
  normalView.SetSelection(0, 0);
}

}  // namespace quillex
