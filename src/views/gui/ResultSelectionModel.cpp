#include "views/gui/ResultSelectionModel.h"

// Standard library
#include <utility>

// Ours
#include "store/ResultStore.h"
#include "views/gui/ResultListModel.h"

namespace quillex {

ResultSelectionModel::ResultSelectionModel(ResultListModel& model, QObject* parent)
    : QItemSelectionModel(&model, parent), model_(model) {
  Resize();
  connect(&model_, &QAbstractItemModel::rowsInserted, this, &ResultSelectionModel::Resize);
  // A sort moves rows, not results: the bits stay valid, but a pending
  // command names display rows and must land on the rows it was made for.
  connect(&model_, &QAbstractItemModel::layoutAboutToBeChanged, this,
          [this] { selection_.Commit(model_.DisplayOrder()); });
  connect(&model_, &QAbstractItemModel::modelReset, this, [this] {
    selection_.Clear();
    Resize();
    emit rowSelectionChanged();
  });
}

void ResultSelectionModel::Resize() {
  // Rows hold result indices below the store's count.
  selection_.Resize(std::max<std::uint32_t>(model_.Store().Count(),
                                            static_cast<std::uint32_t>(model_.rowCount())));
}

void ResultSelectionModel::select(const QItemSelection& selection,
                                  QItemSelectionModel::SelectionFlags command) {
  if (command == NoUpdate) {
    return;
  }
  const std::span<const std::uint32_t> rows = model_.DisplayOrder();
  if (command & Clear) {
    selection_.Clear();
  }
  // As Qt's model does: a command without Current fixes the one before it,
  // a command with Current replaces it (a drag or Shift extension going on).
  if (!(command & Current)) {
    selection_.Commit(rows);
  }
  if (command & (Toggle | Select | Deselect)) {
    std::vector<std::pair<std::uint32_t, std::uint32_t>> ranges;
    ranges.reserve(static_cast<std::size_t>(selection.size()));
    for (const QItemSelectionRange& range : selection) {
      if (range.isValid() && range.model() == &model_ && range.top() >= 0) {
        ranges.emplace_back(static_cast<std::uint32_t>(range.top()),
                            static_cast<std::uint32_t>(range.bottom()));
      }
    }
    const SelectOp op = (command & Toggle)     ? SelectOp::Toggle
                        : (command & Deselect) ? SelectOp::Deselect
                                               : SelectOp::Select;
    selection_.SetPending(std::move(ranges), op);
  }
  emit rowSelectionChanged();
}

void ResultSelectionModel::clear() {
  selection_.Clear();
  QItemSelectionModel::clear();
  emit rowSelectionChanged();
}

void ResultSelectionModel::clearSelection() {
  select(QItemSelection(), Clear);
}

void ResultSelectionModel::reset() {
  selection_.Clear();
  Resize();
  QItemSelectionModel::reset();
  emit rowSelectionChanged();
}

bool ResultSelectionModel::IsRowSelected(int row) const {
  return row >= 0 &&
         selection_.IsRowSelected(model_.DisplayOrder(), static_cast<std::uint32_t>(row));
}

std::vector<std::uint32_t> ResultSelectionModel::SelectedResults() const {
  return selection_.SelectedResults(model_.DisplayOrder());
}

void ResultSelectionModel::SelectRows(std::span<const std::uint32_t> rows) {
  selection_.SelectRows(model_.DisplayOrder(), rows);
  emit rowSelectionChanged();
}

void ResultSelectionModel::SelectResults(std::span<const std::uint64_t> bits) {
  selection_.SelectResults(model_.DisplayOrder(), bits);
  emit rowSelectionChanged();
}

void ResultSelectionModel::SetRowSelected(int row, bool selected) {
  if (row < 0 || row >= model_.rowCount()) {
    return;
  }
  const auto r = static_cast<std::uint32_t>(row);
  selection_.Apply(model_.DisplayOrder(), r, r, selected ? SelectOp::Select : SelectOp::Deselect);
  emit rowSelectionChanged();
}

}  // namespace quillex
