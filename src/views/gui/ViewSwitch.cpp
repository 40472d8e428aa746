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
  const char* bytes = reinterpret_cast<const char*>(pool.Bytes());
  std::string text;
  try {
    text.resize(used);
  } catch (const std::bad_alloc&) {
    // Without memory for the running text the view stays empty; the list
    // still shows every result.
    return;
  }
  // One pass over the pool's buffer: every text ends with its NUL, which
  // becomes the space between two texts.
  std::transform(bytes, bytes + used, text.begin(), [](char c) { return c == '\0' ? ' ' : c; });
  normalView.SetText(std::move(text));
}

void CollapseSelection(NormalView& normalView) {
  normalView.SetSelection(0, 0);
}

}  // namespace quillex
