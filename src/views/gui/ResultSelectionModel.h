#pragma once

// Standard library
#include <cstdint>
#include <span>
#include <vector>

// Qt
#include <QItemSelectionModel>

// Ours
#include "views/RowSelection.h"

namespace quillex {

class ResultListModel;

// The result list's selection, held as a bit per result (RowSelection)
// instead of Qt's list of ranges: with half of a million rows selected by a
// Find, Qt's ranges made every painted cell walk a quarter of a million
// entries. The item view's own commands (click, Shift, Ctrl, drag, keys,
// select all) arrive through select() and keep their meaning; the base class
// holds only the current index. Qt's isSelected() and selection() therefore
// answer for nothing: readers ask IsRowSelected and SelectedResults, and the
// list paints from them.
class ResultSelectionModel : public QItemSelectionModel {
  Q_OBJECT

 public:
  explicit ResultSelectionModel(ResultListModel& model, QObject* parent = nullptr);

  using QItemSelectionModel::select;
  void select(const QItemSelection& selection,
              QItemSelectionModel::SelectionFlags command) override;
  void clear() override;
  void reset() override;
  // Hides the base's, which returns early when its own (always empty)
  // ranges are empty and so would never reach select().
  void clearSelection();

  [[nodiscard]] bool IsRowSelected(int row) const;
  // The result indices of the selected rows, in display order.
  [[nodiscard]] std::vector<std::uint32_t> SelectedResults() const;
  // Adds the display rows to the selection; other rows keep theirs.
  void SelectRows(std::span<const std::uint32_t> rows);
  // Adds the results whose bits are set (RowSelection::ResultBits) to the
  // selection; other rows keep theirs.
  void SelectResults(std::span<const std::uint64_t> bits);
  // A copy of the selection, for work on another thread to read with the
  // display order it goes with.
  [[nodiscard]] RowSelection Snapshot() const { return selection_; }
  // True when certainly nothing is selected.
  [[nodiscard]] bool Empty() const { return selection_.Empty(); }
  void SetRowSelected(int row, bool selected);

 signals:
  // Some row's selected state may have changed.
  void rowSelectionChanged();

 private:
  void Resize();

  ResultListModel& model_;
  RowSelection selection_;
};

}  // namespace quillex
