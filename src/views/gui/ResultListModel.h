#pragma once

// Standard library
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <vector>

// Qt
#include <QAbstractTableModel>

// Ours
#include "tags/TagId.h"
#include "views/CancelFlag.h"
#include "views/ResultColumn.h"
#include "views/RowOrder.h"

namespace quillex {

class ResultStore;
class SectionMap;

// The role under which every row hands out its result index (its item data).
inline constexpr int ResultIndexRole = Qt::UserRole + 1;
// The role under which every row hands out the TagCategory of its tags (as
// an int), which the list tints its background by.
inline constexpr int TagCategoryRole = Qt::UserRole + 2;

// The result index of every row, in display order. The model never changes
// one in place: a sort or a fill makes a new one and swaps it in, so work on
// another thread can keep reading the order it was given.
using RowOrderPtr = std::shared_ptr<const std::vector<std::uint32_t>>;

// A sort's outcome, made off the GUI thread for the order it started from:
// the new order, and the new place of each old row, which moves the current
// row and any other kept index along.
struct SortedRows {
  RowOrderPtr from;
  RowOrderPtr rows;
  std::vector<std::uint32_t> newPlace;
};

// What a header click asks for: the column and +1 ascending or -1 descending.
struct SortClick {
  int column = -1;
  int direction = 1;
};

// The rows of the result list. A row holds nothing but its result index; every
// cell text comes from FormatColumn when the view asks for it, the Tags
// column's from the tag sets the window hands over once it has them.
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
  // Appends the given rows (result indices), as Fill does with the order
  // StoreOrder made.
  void AppendRows(RowOrderPtr rows);
  void ClearRows();

  // Each result's indicator tags, by result number, which the Tags column
  // shows and sorts by and the rows are tinted by; empty shows no tags. The
  // owner keeps the array, and changes it only while no sort made from the
  // model runs (its sorts read it on their threads).
  void SetTags(std::span<const TagSet> tags);
  [[nodiscard]] std::span<const TagSet> Tags() const { return tags_; }
  // The tags of a result; none before they are known.
  [[nodiscard]] TagSet TagsOf(std::uint32_t result) const {
    return result < tags_.size() ? tags_[result] : TagSet{0};
  }

  [[nodiscard]] std::span<const std::uint32_t> DisplayOrder() const { return *rows_; }
  // The current order, to be read by work on another thread.
  [[nodiscard]] RowOrderPtr Order() const { return rows_; }
  // The result index of a row; the caller passes a valid row.
  [[nodiscard]] std::uint32_t ResultIndexAt(int row) const;

  // A header click: the same column again reverses the direction, another
  // column sorts ascending. Rows whose texts compare equal keep their order.
  void SortByColumn(ResultColumn column);
  // Sorts by the given column and direction without touching the remembered
  // click state.
  void SortRows(ResultColumn column, int direction);

  // What a click on the column asks for, given the remembered click state,
  // which then becomes the answer; nothing is sorted yet.
  SortClick Click(ResultColumn column);
  // Puts back a click state, as before clicks whose sorts were cancelled.
  void SetClickState(SortClick click);
  [[nodiscard]] SortClick ClickState() const { return {sortColumn_, sortDirection_}; }

  // One result index per result of the store, in store order: the rows of a
  // fill. `cancel` as in SortedRowOrder; a cancelled one is incomplete.
  [[nodiscard]] static RowOrderPtr StoreOrder(std::uint32_t count, const CancelFlag* cancel);
  // The rows of `from` sorted by the column and direction, made anywhere;
  // nothing when cancelled. A column out of range keeps the order. `tags`
  // as SetTags takes them.
  [[nodiscard]] static std::optional<SortedRows> Sorted(const ResultStore& store,
                                                        const SectionMap& map, RowOrderPtr from,
                                                        ResultColumn column, int direction,
                                                        const CancelFlag* cancel,
                                                        std::span<const TagSet> tags = {});
  // Swaps in a sort's rows, when they were sorted from the current order;
  // otherwise the order has changed meanwhile and the sort is dropped.
  // Returns whether the rows were taken.
  bool ApplySorted(SortedRows sorted);

  // -1 before the first click; a scan does not reset it.
  [[nodiscard]] int SortColumn() const { return sortColumn_; }
  // +1 ascending, -1 descending.
  [[nodiscard]] int SortDirection() const { return sortDirection_; }

  [[nodiscard]] const ResultStore& Store() const { return store_; }
  [[nodiscard]] const SectionMap& Map() const { return map_; }

 private:
  const ResultStore& store_;
  const SectionMap& map_;
  RowOrderPtr rows_;
  std::span<const TagSet> tags_;
  int sortColumn_ = -1;
  int sortDirection_ = 1;
};

}  // namespace quillex
