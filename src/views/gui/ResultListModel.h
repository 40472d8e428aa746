#pragma once

// Standard library
#include <cstdint>
#include <span>
#include <vector>

// Qt
#include <QAbstractTableModel>

// Ours
#include "views/ResultColumn.h"
#include "views/RowOrder.h"

namespace quillex {

class ResultStore;
class SectionMap;

// The role under which every row hands out its result index (its item data).
inline constexpr int ResultIndexRole = Qt::UserRole + 1;

// The rows of the result list. A row holds nothing but its result index; every
// cell text comes from FormatColumn when the view asks for it.
class ResultListModel : public QAbstractTableModel {
  Q_OBJECT

 public:
  ResultListModel(const ResultStore& store, const SectionMap& map, QObject* parent = nullptr);

  [[nodiscard]] int rowCount(const QModelIndex& parent = {}) const override;
  [[nodiscard]] int columnCount(const QModelIndex& parent = {}) const override;
  [[nodiscard]] QVariant data(const QModelIndex& index, int role) const override;
  [[nodiscard]] QVariant headerData(int section, Qt::Orientation orientation,
                                    int role) const override;

  // Appends one row per result of the store, in store order.
  void Fill();
  void ClearRows();

  [[nodiscard]] std::span<const std::uint32_t> DisplayOrder() const { return rows_; }
  // The result index of a row; the caller passes a valid row.
  [[nodiscard]] std::uint32_t ResultIndexAt(int row) const;

  // A header click: the same column again reverses the direction, another
  // column sorts ascending. Rows whose texts compare equal keep their order.
  void SortByColumn(ResultColumn column);
  // Sorts by the given column and direction without touching the remembered
  // click state.
  void SortRows(ResultColumn column, int direction);

  // -1 before the first click; a scan does not reset it.
  [[nodiscard]] int SortColumn() const { return sortColumn_; }
  // +1 ascending, -1 descending.
  [[nodiscard]] int SortDirection() const { return sortDirection_; }

  [[nodiscard]] const ResultStore& Store() const { return store_; }
  [[nodiscard]] const SectionMap& Map() const { return map_; }

 private:
  void ApplyOrder(std::vector<std::uint32_t> newRows);

  const ResultStore& store_;
  const SectionMap& map_;
  std::vector<std::uint32_t> rows_;
  int sortColumn_ = -1;
  int sortDirection_ = 1;
};

}  // namespace quillex
