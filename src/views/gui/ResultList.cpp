#include "views/gui/ResultList.h"

// Standard library
#include <algorithm>
#include <array>
#include <queue>
#include <utility>

// Qt
#include <QContextMenuEvent>
#include <QHeaderView>
#include <QItemSelection>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QMenu>
#include <QScrollBar>

// Ours
#include "store/ResultColumn.h"
#include "store/ResultStore.h"
#include "views/gui/ResultListModel.h"

namespace quillex {

namespace {

constexpr std::array<int, 4> kColumnWidths = {96, 96, 42, 800};
constexpr int kTextColumn = static_cast<int>(ResultColumn::Text);

// Lists up to this many rows have every text measured when the Text column is
// fitted; longer ones measure only their longest texts by byte count.
constexpr int kMeasureAllRows = 2000;
constexpr std::size_t kLongestMeasured = 64;

void RunMenuAtCursor(QMenu& menu, const QPoint& globalPos) {
  // Centred on the cursor horizontally, like a centre-aligned popup.
  const QSize size = menu.sizeHint();
  menu.exec(QPoint(globalPos.x() - size.width() / 2, globalPos.y()));
}

}  // namespace

ResultList::ResultList(ResultListModel& model, QWidget* parent)
    : QTreeView(parent), model_(model), menuRunner_(RunMenuAtCursor) {
  setObjectName(QStringLiteral("resultList"));
  setModel(&model_);
  setRootIsDecorated(false);
  setItemsExpandable(false);
  setUniformRowHeights(true);
  setAllColumnsShowFocus(true);
  setSortingEnabled(false);
  setSelectionBehavior(QAbstractItemView::SelectRows);
  setSelectionMode(QAbstractItemView::ExtendedSelection);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setIconSize(QSize(12, 12));
  setTextElideMode(Qt::ElideNone);

  // White background and black text; the selection looks the same with or
  // without focus.
  QPalette colours = palette();
  for (const QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
    colours.setColor(group, QPalette::Base, Qt::white);
    colours.setColor(group, QPalette::Text, Qt::black);
    colours.setColor(group, QPalette::Highlight,
                     colours.color(QPalette::Active, QPalette::Highlight));
    colours.setColor(group, QPalette::HighlightedText,
                     colours.color(QPalette::Active, QPalette::HighlightedText));
  }
  setPalette(colours);

  QHeaderView* head = header();
  head->setStretchLastSection(false);
  head->setSectionsMovable(false);
  head->setSectionsClickable(true);
  head->setSortIndicatorShown(false);
  head->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  head->setSectionResizeMode(QHeaderView::Interactive);
  for (std::size_t c = 0; c < kColumnWidths.size(); ++c) {
    head->resizeSection(static_cast<int>(c), kColumnWidths[c]);
  }
  connect(head, &QHeaderView::sectionClicked, this, &ResultList::ClickHeader);
}

void ResultList::SetStatusCallback(std::function<void(const char*)> callback) {
  status_ = std::move(callback);
}

void ResultList::SetMenuRunner(std::function<void(QMenu&, const QPoint&)> runner) {
  menuRunner_ = runner ? std::move(runner) : RunMenuAtCursor;
}

void ResultList::ClickHeader(int column) {
  if (column < 0 || column >= static_cast<int>(ResultColumn::ColumnCount)) {
    return;
  }
  if (status_) {
    status_("Sorting...");
  }
  model_.SortByColumn(static_cast<ResultColumn>(column));
  if (status_) {
    status_("Ready");
  }
}

bool ResultList::RightClickAt(const QPoint& viewportPos) {
  const QModelIndex index = indexAt(viewportPos);
  if (!index.isValid() || index.row() < 0 || index.row() >= model_.rowCount()) {
    return false;
  }
  QMenu menu(this);
  QAction* copy = menu.addAction(tr("&Copy"));
  copy->setData(kCopyCommand);
  connect(copy, &QAction::triggered, this, &ResultList::copyRequested);
  menuRunner_(menu, viewport()->mapToGlobal(viewportPos));
  return true;
}

void ResultList::contextMenuEvent(QContextMenuEvent* event) {
  // Only a mouse click names a row; the keyboard's menu key does nothing.
  if (event->reason() == QContextMenuEvent::Mouse) {
    RightClickAt(event->pos());
  }
  event->accept();
}

void ResultList::keyPressEvent(QKeyEvent* event) {
  // The item view would copy the current cell's text; copying rows is the
  // popup menu's Copy command, so the key is left to the page.
  if (event == QKeySequence::Copy) {
    event->ignore();
    return;
  }
  QTreeView::keyPressEvent(event);
}

void ResultList::FitTextColumn() {
  const int rows = model_.rowCount();
  std::vector<int> candidates;
  if (rows <= kMeasureAllRows) {
    candidates.resize(static_cast<std::size_t>(rows));
    for (int row = 0; row < rows; ++row) {
      candidates[static_cast<std::size_t>(row)] = row;
    }
  } else {
    // Measuring a million texts takes seconds; the widest text is almost
    // always among the longest ones by bytes, so only those are measured.
    using Entry = std::pair<std::size_t, int>;  // byte length, row
    std::priority_queue<Entry, std::vector<Entry>, std::greater<>> longest;
    const ResultStore& store = model_.Store();
    for (int row = 0; row < rows; ++row) {
      const char* text = store.Text(model_.ResultIndexAt(row));
      const std::size_t length = text != nullptr ? std::char_traits<char>::length(text) : 0;
      if (longest.size() < kLongestMeasured) {
        longest.emplace(length, row);
      } else if (length > longest.top().first) {
        longest.pop();
        longest.emplace(length, row);
      }
    }
    while (!longest.empty()) {
      candidates.push_back(longest.top().second);
      longest.pop();
    }
  }
  QStyleOptionViewItem option;
  initViewItemOption(&option);
  int width = 0;
  for (const int row : candidates) {
    const QModelIndex index = model_.index(row, kTextColumn);
    width = std::max(width, itemDelegate()->sizeHint(option, index).width());
  }
  if (candidates.empty()) {
    width = header()->sectionSizeHint(kTextColumn);
  }
  header()->resizeSection(kTextColumn, std::max(width, 1));
}

std::vector<std::uint32_t> ResultList::SelectedRowsInDisplayOrder() const {
  // Ranges rather than selectedRows(): a selection of a million rows is a
  // handful of ranges, and only the result numbers are wanted.
  std::vector<std::pair<int, int>> spans;
  for (const QItemSelectionRange& range : selectionModel()->selection()) {
    if (range.isValid()) {
      spans.emplace_back(range.top(), range.bottom());
    }
  }
  std::sort(spans.begin(), spans.end());
  std::vector<std::uint32_t> result;
  int next = 0;  // first row not yet emitted; ranges may overlap
  for (const auto& [top, bottom] : spans) {
    for (int row = std::max(top, next); row <= bottom; ++row) {
      result.push_back(model_.ResultIndexAt(row));
    }
    next = std::max(next, bottom + 1);
  }
  return result;
}

int ResultList::RowCount() const {
  return model_.rowCount();
}

int ResultList::TopVisibleRow() const {
  const QModelIndex top = indexAt(QPoint(1, 1));
  return top.isValid() ? top.row() : 0;
}

int ResultList::CountPerPage() const {
  int rowHeight = 0;
  if (model_.rowCount() > 0) {
    rowHeight = this->rowHeight(model_.index(TopVisibleRow(), 0));
  }
  if (rowHeight <= 0) {
    rowHeight = std::max(fontMetrics().height(), iconSize().height()) + 2;
  }
  return std::max(viewport()->height() / rowHeight, 0);
}

void ResultList::EnsureVisible(int row, bool fully) {
  if (row < 0 || row >= model_.rowCount()) {
    return;
  }
  const QModelIndex index = model_.index(row, 0);
  if (!fully && visualRect(index).intersects(viewport()->rect())) {
    return;
  }
  // Only vertical: the list keeps its horizontal scroll position.
  const int horizontal = horizontalScrollBar()->value();
  scrollTo(index, QAbstractItemView::EnsureVisible);
  horizontalScrollBar()->setValue(horizontal);
}

void ResultList::SetRowSelected(int row, bool selected) {
  if (row < 0 || row >= model_.rowCount()) {
    return;
  }
  selectionModel()->select(model_.index(row, 0), (selected ? QItemSelectionModel::Select
                                                           : QItemSelectionModel::Deselect) |
                                                     QItemSelectionModel::Rows);
}

bool ResultList::IsRowSelected(int row) const {
  return row >= 0 && row < model_.rowCount() && selectionModel()->isRowSelected(row, {});
}

void ResultList::SelectRows(std::span<const int> rows) {
  std::vector<int> sorted;
  sorted.reserve(rows.size());
  for (const int row : rows) {
    if (row >= 0 && row < model_.rowCount()) {
      sorted.push_back(row);
    }
  }
  std::sort(sorted.begin(), sorted.end());
  QItemSelection selection;
  const int lastColumn = static_cast<int>(ResultColumn::ColumnCount) - 1;
  for (std::size_t i = 0; i < sorted.size();) {
    std::size_t j = i;
    while (j + 1 < sorted.size() && sorted[j + 1] <= sorted[j] + 1) {
      ++j;
    }
    selection.select(model_.index(sorted[i], 0), model_.index(sorted[j], lastColumn));
    i = j + 1;
  }
  if (!selection.isEmpty()) {
    selectionModel()->select(selection, QItemSelectionModel::Select);
  }
}

}  // namespace quillex
