#pragma once

// Standard library
#include <cstdint>
#include <functional>
#include <span>
#include <vector>

// Qt
#include <QPoint>
#include <QTableView>

// Ours
#include "views/gui/ResultListModel.h"

class QMenu;

namespace quillex {

class BackgroundTasks;
class ResultSelectionModel;

// Control id of the list on the Search page and the command of its popup menu.
inline constexpr int kResultListControl = 1004;
inline constexpr int kCopyCommand = 40001;

// The advanced view: a report-style list of the model's rows with full-row,
// multi-row selection that stays visible without focus. Header clicks sort.
//
// A table view with a hidden row header and one fixed row height: unlike a
// tree view it keeps no item record per row, so ten million rows cost the
// model's row order and the row header's size table only. The selection is
// ResultSelectionModel's, and the cells are painted from it.
class ResultList : public QTableView {
  Q_OBJECT

 public:
  explicit ResultList(ResultListModel& model, QWidget* parent = nullptr);

  [[nodiscard]] ResultListModel& Model() const { return model_; }
  [[nodiscard]] ResultSelectionModel& Selection() const { return *selection_; }
  // The column header (the list has no row header).
  [[nodiscard]] QHeaderView* header() const { return horizontalHeader(); }

  // Receives "Sorting..." before a header-click sort done where it is asked
  // for and "Ready" after it. A sort run as a task says nothing here: the
  // tasks' owner shows their status.
  void SetStatusCallback(std::function<void(const char*)> callback);
  // Header clicks on two rows or more sort through `tasks`; without tasks
  // (null) every sort is done at once.
  void SetTasks(BackgroundTasks* tasks) { tasks_ = tasks; }
  // How the popup menu is run; tests replace it. The default executes the
  // menu at the global position.
  void SetMenuRunner(std::function<void(QMenu&, const QPoint&)> runner);
  // Runs a menu of the list (the popup, the header's) through the runner.
  void RunMenu(QMenu& menu, const QPoint& globalPos) { menuRunner_(menu, globalPos); }

  // A header click on the given column (what a click on the header does).
  // Through tasks, a second click on the column while its sort waits or runs
  // replaces that sort with the reverse one, as a click on the finished sort
  // would; a click on another column sorts after it. A cancelled sort puts
  // back the click state of the rows shown.
  void ClickHeader(int column);
  // Sorts the rows again when the order last asked for (a sort that waits or
  // runs, or else the one the header shows) is by `column`: for a column
  // whose values have just arrived, as the Tags column's do after a scan.
  // The click state stays as it is.
  void SortAgainIfBy(ResultColumn column);
  // A right click at a viewport position: shows the popup menu only over a
  // row: Copy, then the actions added to the list (the row actions).
  // Returns true when the menu was shown.
  bool RightClickAt(const QPoint& viewportPos);

  // Sizes the Text column to the widest text of the rows.
  void FitTextColumn();
  // The same, measuring only the given rows, as TextWidthRows found them.
  void FitTextColumn(std::span<const std::uint32_t> candidates);
  // The rows whose texts FitTextColumn measures: every row of a short list,
  // the longest texts by bytes of a long one. Safe on any thread.
  [[nodiscard]] static std::vector<std::uint32_t> TextWidthRows(const ResultStore& store,
                                                                std::span<const std::uint32_t> rows,
                                                                const CancelFlag* cancel = nullptr);
  // The narrowest width that shows a column's widest text whole in the
  // current font: twelve hex digits and the kind icon for the positions,
  // "65535" for the ID; never below the widths the layout was drawn with.
  [[nodiscard]] int MinimumColumnWidth(int column) const;

  // Result indices of the selected rows, in display order.
  [[nodiscard]] std::vector<std::uint32_t> SelectedRowsInDisplayOrder() const;

  // What Find needs of the list.
  [[nodiscard]] int RowCount() const;
  [[nodiscard]] int TopVisibleRow() const;
  // Rows that fit completely in the viewport.
  [[nodiscard]] int CountPerPage() const;
  // Scrolls the row into view; with `fully` it is shown entirely.
  void EnsureVisible(int row, bool fully);
  // Adds the row to the selection (or removes it); other rows keep theirs.
  void SetRowSelected(int row, bool selected = true);
  [[nodiscard]] bool IsRowSelected(int row) const;
  // Unselects every row. Hides the item view's slot, which goes through a
  // call of Qt's selection model that sees no selection and does nothing.
  void clearSelection();
  // Adds many rows to the selection at once (runs of neighbours become one
  // range), which stays fast when thousands of rows match.
  void SelectRows(std::span<const std::uint32_t> rows);
  void SelectRows(std::span<const int> rows);
  // Brings the row of `index` into view without scrolling sideways.
  void scrollTo(const QModelIndex& index,
                ScrollHint hint = QAbstractItemView::EnsureVisible) override;

 signals:
  void copyRequested();

 protected:
  void contextMenuEvent(QContextMenuEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void changeEvent(QEvent* event) override;
  [[nodiscard]] QItemSelectionModel::SelectionFlags selectionCommand(
      const QModelIndex& index, const QEvent* event) const override;

 private:
  // Row height and the position and ID column widths from the font.
  void ApplyFontMetrics();
  void RequestSort(ResultColumn column);
  void RunSort(SortClick click);
  void ShowSortIndicator(SortClick click);

  ResultListModel& model_;
  ResultSelectionModel* selection_;
  std::function<void(const char*)> status_;
  std::function<void(QMenu&, const QPoint&)> menuRunner_;
  BackgroundTasks* tasks_ = nullptr;
  // The click state of the rows shown: what Escape puts back when it cancels
  // the sorts asked for since.
  SortClick shownClick_;
};

}  // namespace quillex
