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
  // What the rows were sorted by.
  int column = -1;
  int direction = 1;
};

// What a header click asks for: the column and +1 ascending or -1 descending.
struct SortClick {
  int column = -1;
  int direction = 1;
  friend bool operator==(const SortClick&, const SortClick&) = default;
};

// The sorts applied to a filter's rows since the whole order last had them.
// A stable sort by a column makes every earlier sort by the same column
// irrelevant, so only the latest sort of each column is kept: at most one
// entry a column, oldest first.
using PendingSorts = std::vector<SortClick>;

// Adds a sort to the pending ones, dropping an earlier sort by its column.
void AddPendingSort(PendingSorts& sorts, SortClick click);

// `rows` sorted by each pending sort in turn, which leaves them in the order
// the whole list would show them after those sorts. Nothing when cancelled.
// `tags` as for SortedRowOrder.
[[nodiscard]] std::optional<std::vector<std::uint32_t>> ReplaySorts(
    const ResultStore& store, const SectionMap& map, std::vector<std::uint32_t> rows,
    const PendingSorts& sorts, const CancelFlag* cancel, std::span<const TagSet> tags = {});

// The rows of the result list. A row holds nothing but its result index; every
// cell text comes from FormatColumn when the view asks for it, the Tags
// column's from the tag sets the window hands over once it has them.
//
// Under a filter the rows are the shown ones, and the model also keeps the
// whole order they were filtered from. Sorts then order the shown rows only
// and are remembered as pending; clearing the filter replays them on the
// whole order (ShowAll), so every row comes back in the order the list shows,
// ties included, and a new filter is applied to the whole order and then
// sorted the same way. Beyond the whole order a filter costs its shown rows,
// 4 bytes each.
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
  // Empties the list, filter included.
  void ClearRows();

  // The whole order: every result's row, in the order the list would show
  // them without a filter, less the pending sorts. The same as Order() while
  // no filter applies.
  [[nodiscard]] RowOrderPtr AllOrder() const { return allRows_; }
  // Sorts applied to the shown rows that the whole order has not had yet.
  [[nodiscard]] const PendingSorts& Pending() const { return pending_; }
  [[nodiscard]] bool Filtered() const { return filtered_; }
  // Shows the rows a filter kept of `basis`, which must still be the whole
  // order, already sorted by the pending sorts; false (and nothing changes)
  // when the whole order has changed meanwhile.
  bool ShowFiltered(RowOrderPtr shown, const RowOrderPtr& basis);
  // Ends the filter: shows `all`, the whole order `basis` sorted by the
  // pending sorts, which are then done. False when `basis` is stale.
  bool ShowAll(RowOrderPtr all, const RowOrderPtr& basis);
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
  // nothing when cancelled or for a column out of range. Fewer than two rows
  // come back as they were, sorted all the same. `tags` as SetTags takes
  // them.
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
  RowOrderPtr allRows_;
  PendingSorts pending_;
  bool filtered_ = false;
  std::span<const TagSet> tags_;
  int sortColumn_ = -1;
  int sortDirection_ = 1;
};

}  // namespace quillex
