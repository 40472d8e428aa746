#pragma once

// Standard library
#include <cstdint>
#include <functional>
#include <span>
#include <vector>

// Qt
#include <QPoint>
#include <QTreeView>

class QMenu;

namespace quillex {

class ResultListModel;

// Control id of the list on the Search page and the command of its popup menu.
inline constexpr int kResultListControl = 1004;
inline constexpr int kCopyCommand = 40001;

// The advanced view: a report-style list of the model's rows with full-row,
// multi-row selection that stays visible without focus. Header clicks sort.
class ResultList : public QTreeView {
  Q_OBJECT

 public:
  explicit ResultList(ResultListModel& model, QWidget* parent = nullptr);

  [[nodiscard]] ResultListModel& Model() const { return model_; }

  // Receives "Sorting..." before a header-click sort and "Ready" after it.
  void SetStatusCallback(std::function<void(const char*)> callback);
  // How the popup menu is run; tests replace it. The default executes the
  // menu at the global position.
  void SetMenuRunner(std::function<void(QMenu&, const QPoint&)> runner);

  // A header click on the given column (what a click on the header does).
  void ClickHeader(int column);
  // A right click at a viewport position: shows the popup menu only over a
  // row. Returns true when the menu was shown.
  bool RightClickAt(const QPoint& viewportPos);

  // Sizes the Text column to the widest text of the rows.
  void FitTextColumn();

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
  // Adds many rows to the selection at once (runs of neighbours become one
  // range), which stays fast when thousands of rows match.
  void SelectRows(std::span<const int> rows);

 signals:
  void copyRequested();

 protected:
  void contextMenuEvent(QContextMenuEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  ResultListModel& model_;
  std::function<void(const char*)> status_;
  std::function<void(QMenu&, const QPoint&)> menuRunner_;
};

}  // namespace quillex
