#include "views/gui/ResultList.h"

// Standard library
#include <algorithm>
#include <array>
#include <optional>
#include <string_view>
#include <utility>
#include <vector>

// Qt
#include <QContextMenuEvent>
#include <QEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMenu>
#include <QScrollBar>
#include <QStyle>
#include <QStyledItemDelegate>

// Ours
#include "store/ResultStore.h"
#include "views/LongestTexts.h"
#include "views/ResultColumn.h"
#include "views/gui/BackgroundTasks.h"
#include "views/gui/ListColumns.h"
#include "views/gui/ResultListModel.h"
#include "views/gui/ResultSelectionModel.h"
#include "views/gui/TagTint.h"
#include "views/gui/ViewPalette.h"

namespace quillex {

namespace {

constexpr std::array<int, 4> kColumnWidths = {96, 96, 42, 800};
constexpr int kTextColumn = static_cast<int>(ResultColumn::Text);

// Lists up to this many rows have every text measured when the Text column is
// fitted; longer ones measure only their longest texts by byte count.
constexpr int kMeasureAllRows = 2000;
constexpr std::size_t kLongestMeasured = 64;

// Paints a cell selected when its row is selected in ResultSelectionModel;
// the table view asks Qt's own selection, which holds nothing. The colours
// are ViewPalette's; an unselected row with tags takes its category's tint
// of the base colour, a selected one the highlight like every other.
class SelectedRowDelegate : public QStyledItemDelegate {
 public:
  SelectedRowDelegate(const ResultSelectionModel& selection, QObject* parent)
      : QStyledItemDelegate(parent), selection_(selection) {}

 protected:
  void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override {
    QStyledItemDelegate::initStyleOption(option, index);
    const bool selected = selection_.IsRowSelected(index.row());
    option->state.setFlag(QStyle::State_Selected, selected);
    option->palette = ViewPalette(option->palette);
    // Texts run past their cells uncut, to be read by scrolling sideways;
    // a list of tags cut by a narrow column says so with an ellipsis.
    if (index.column() == static_cast<int>(ResultColumn::Tags)) {
      option->textElideMode = Qt::ElideRight;
    }
    if (!selected) {
      const auto category = static_cast<TagCategory>(index.data(TagCategoryRole).toInt());
      if (category != TagCategory::None) {
        option->backgroundBrush = TagTint(category, option->palette.color(QPalette::Base));
      }
    }
  }

 private:
  const ResultSelectionModel& selection_;
};

void RunMenuAtCursor(QMenu& menu, const QPoint& globalPos) {
  // Centred on the cursor horizontally, like a centre-aligned popup.
  const QSize size = menu.sizeHint();
  menu.exec(QPoint(globalPos.x() - size.width() / 2, globalPos.y()));
}

}  // namespace

ResultList::ResultList(ResultListModel& model, QWidget* parent)
    : QTableView(parent),
      model_(model),
      selection_(new ResultSelectionModel(model, this)),
      menuRunner_(RunMenuAtCursor) {
  setObjectName(QStringLiteral("resultList"));
  setModel(&model_);
  setSelectionModel(selection_);
  setItemDelegate(new SelectedRowDelegate(*selection_, this));
  connect(selection_, &ResultSelectionModel::rowSelectionChanged, viewport(),
          qOverload<>(&QWidget::update));
  setShowGrid(false);
  setWordWrap(false);
  setCornerButtonEnabled(false);
  setTabKeyNavigation(false);
  setSortingEnabled(false);
  setSelectionBehavior(QAbstractItemView::SelectRows);
  setSelectionMode(QAbstractItemView::ExtendedSelection);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
  // Sideways by pixels: a text wider than the list must be readable to its
  // end, which a scroll by whole columns never shows.
  setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
  setIconSize(QSize(12, 12));
  setTextElideMode(Qt::ElideNone);
  verticalHeader()->hide();
  verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);

  QHeaderView* head = horizontalHeader();
  head->setStretchLastSection(false);
  head->setSectionsMovable(false);
  head->setSectionsClickable(true);
  head->setHighlightSections(false);
  // The sorted column shows the style's arrow; a new scan's rows come in
  // store order, sorted by no column.
  head->setSortIndicatorShown(true);
  head->setSortIndicator(-1, Qt::AscendingOrder);
  connect(&model_, &QAbstractItemModel::modelReset, head,
          [head] { head->setSortIndicator(-1, Qt::AscendingOrder); });
  head->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  head->setSectionResizeMode(QHeaderView::Interactive);
  for (std::size_t c = 0; c < kColumnWidths.size(); ++c) {
    head->resizeSection(static_cast<int>(c), kColumnWidths[c]);
  }
  ApplyFontMetrics();
  connect(head, &QHeaderView::sectionClicked, this, &ResultList::ClickHeader);
  SetUpListColumns(*this);
}

int ResultList::MinimumColumnWidth(int column) const {
  if (column < 0 || column >= static_cast<int>(kColumnWidths.size())) {
    return 0;
  }
  const int layoutWidth = kColumnWidths[static_cast<std::size_t>(column)];
  if (column == kTextColumn) {
    return layoutWidth;
  }
  // The widest text the column can show, measured the way the item delegate
  // sizes a cell: the style adds the icon, its spacing and the margins.
  const bool position = column != static_cast<int>(ResultColumn::Id);
  QString widest;
  if (position) {
    const QFontMetrics metrics(font());
    QChar widestDigit = QLatin1Char('0');
    for (const char digit : std::string_view("0123456789ABCDEF")) {
      if (metrics.horizontalAdvance(QLatin1Char(digit)) > metrics.horizontalAdvance(widestDigit)) {
        widestDigit = QLatin1Char(digit);
      }
    }
    widest = QString(12, widestDigit);
  } else {
    widest = QStringLiteral("65535");
  }
  QStyleOptionViewItem option;
  initViewItemOption(&option);
  option.text = widest;
  option.features |= QStyleOptionViewItem::HasDisplay;
  if (position) {
    option.features |= QStyleOptionViewItem::HasDecoration;
    option.decorationSize = iconSize();
  }
  const int cell =
      style()->sizeFromContents(QStyle::CT_ItemViewItem, &option, QSize(), this).width();
  const int title = horizontalHeader()->sectionSizeHint(column);
  return std::max({layoutWidth, cell, title});
}

void ResultList::ApplyFontMetrics() {
  // Rows are one line of the font or the 12-pixel icon, whichever is taller,
  // and every row has that height: nothing is measured per row.
  const int rowHeight = std::max(fontMetrics().height(), iconSize().height()) + 2;
  verticalHeader()->setMinimumSectionSize(1);
  verticalHeader()->setDefaultSectionSize(rowHeight);
  QHeaderView* head = horizontalHeader();
  for (int column = 0; column < kTextColumn; ++column) {
    const int wanted = MinimumColumnWidth(column);
    if (head->sectionSize(column) < wanted) {
      head->resizeSection(column, wanted);
    }
  }
}

QItemSelectionModel::SelectionFlags ResultList::selectionCommand(const QModelIndex& index,
                                                                 const QEvent* event) const {
  QItemSelectionModel::SelectionFlags command = QTableView::selectionCommand(index, event);
  // A Ctrl click toggles its row. The item view turns the toggle into select
  // or unselect by asking Qt's selection, which holds nothing here, so the
  // decision is made from ours before the view sees it.
  if (event != nullptr && event->type() == QEvent::MouseButtonPress && index.isValid() &&
      command.testFlag(QItemSelectionModel::Toggle)) {
    command &= ~QItemSelectionModel::SelectionFlags(QItemSelectionModel::Toggle);
    command |= selection_->IsRowSelected(index.row()) ? QItemSelectionModel::Deselect
                                                      : QItemSelectionModel::Select;
  }
  return command;
}

void ResultList::changeEvent(QEvent* event) {
  QTableView::changeEvent(event);
  if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange) {
    ApplyFontMetrics();
  }
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
  // A list of fewer than two rows has nothing to sort (it is empty during a
  // scan): the click only turns the click state, here and now.
  if (tasks_ != nullptr && model_.rowCount() >= 2) {
    RequestSort(static_cast<ResultColumn>(column));
    return;
  }
  if (status_) {
    status_("Sorting...");
  }
  model_.SortByColumn(static_cast<ResultColumn>(column));
  ShowSortIndicator(model_.ClickState());
  if (status_) {
    status_("Ready");
  }
}

void ResultList::RequestSort(ResultColumn column) {
  if (!tasks_->Busy(TaskKind::Sort)) {
    shownClick_ = model_.ClickState();
  }
  RunSort(model_.Click(column));
}

void ResultList::SortAgainIfBy(ResultColumn column) {
  // The order the user last asked for: a sort still waiting or running, or
  // else the one the header shows (a new scan's rows are sorted by none).
  SortClick click = model_.ClickState();
  if (tasks_ == nullptr || !tasks_->Busy(TaskKind::Sort)) {
    click = {horizontalHeader()->sortIndicatorSection(),
             horizontalHeader()->sortIndicatorOrder() == Qt::DescendingOrder ? -1 : 1};
  }
  if (click.column != static_cast<int>(column) || model_.rowCount() < 2) {
    return;
  }
  if (tasks_ == nullptr) {
    model_.SortRows(column, click.direction);
    return;
  }
  if (!tasks_->Busy(TaskKind::Sort)) {
    shownClick_ = model_.ClickState();
  }
  RunSort(click);
}

void ResultList::RunSort(SortClick click) {
  ResultListModel* model = &model_;
  tasks_->RunPrepared(
      TaskKind::Sort,
      [model, click] {
        // The rows as they are when the sort's turn comes: after the tasks
        // asked for before it.
        return [&store = model->Store(), &map = model->Map(), from = model->Order(),
                tags = model->Tags(), click](const CancelFlag& cancel) {
          return ResultListModel::Sorted(store, map, from, static_cast<ResultColumn>(click.column),
                                         click.direction, &cancel, tags);
        };
      },
      [this, click](std::optional<SortedRows> sorted) {
        if (sorted) {
          model_.ApplySorted(std::move(*sorted));
        }
        shownClick_ = click;
        ShowSortIndicator(click);
      },
      {.key = click.column, .cancelled = [this] { model_.SetClickState(shownClick_); }});
}

void ResultList::ShowSortIndicator(SortClick click) {
  horizontalHeader()->setSortIndicator(
      click.column, click.direction < 0 ? Qt::DescendingOrder : Qt::AscendingOrder);
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
  if (!actions().isEmpty()) {
    menu.addSeparator();
    menu.addActions(actions());
  }
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
  QTableView::keyPressEvent(event);
}

std::vector<std::uint32_t> ResultList::TextWidthRows(const ResultStore& store,
                                                     std::span<const std::uint32_t> rows,
                                                     const CancelFlag* cancel) {
  if (rows.size() > static_cast<std::size_t>(kMeasureAllRows)) {
    return LongestTextRows(store, rows, kLongestMeasured, cancel);
  }
  std::vector<std::uint32_t> all(rows.size());
  for (std::size_t row = 0; row < all.size(); ++row) {
    all[row] = static_cast<std::uint32_t>(row);
  }
  return all;
}

void ResultList::FitTextColumn() {
  FitTextColumn(TextWidthRows(model_.Store(), model_.DisplayOrder()));
}

void ResultList::FitTextColumn(std::span<const std::uint32_t> candidates) {
  QStyleOptionViewItem option;
  initViewItemOption(&option);
  int width = 0;
  bool measured = false;
  for (const std::uint32_t row : candidates) {
    if (row >= static_cast<std::uint32_t>(model_.rowCount())) {
      continue;
    }
    const QModelIndex index = model_.index(static_cast<int>(row), kTextColumn);
    width = std::max(width, itemDelegate()->sizeHint(option, index).width());
    measured = true;
  }
  if (!measured) {
    width = header()->sectionSizeHint(kTextColumn);
  }
  header()->resizeSection(kTextColumn, std::max(width, 1));
}

std::vector<std::uint32_t> ResultList::SelectedRowsInDisplayOrder() const {
  return selection_->SelectedResults();
}

int ResultList::RowCount() const {
  return model_.rowCount();
}

int ResultList::TopVisibleRow() const {
  const QModelIndex top = indexAt(QPoint(1, 1));
  return top.isValid() ? top.row() : 0;
}

int ResultList::CountPerPage() const {
  const int rowHeight = std::max(verticalHeader()->defaultSectionSize(), 1);
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
  scrollTo(index, QAbstractItemView::EnsureVisible);
}

void ResultList::scrollTo(const QModelIndex& index, ScrollHint hint) {
  // Rows are chosen whole, so bringing one into view scrolls up or down
  // only. A table view would also scroll to the current cell's column, and
  // the Text column, as wide as the widest text, would slide the short
  // texts of the rows around it out of sight.
  const int horizontal = horizontalScrollBar()->value();
  QTableView::scrollTo(index, hint);
  horizontalScrollBar()->setValue(horizontal);
}

void ResultList::SetRowSelected(int row, bool selected) {
  selection_->SetRowSelected(row, selected);
}

bool ResultList::IsRowSelected(int row) const {
  return row < model_.rowCount() && selection_->IsRowSelected(row);
}

void ResultList::clearSelection() {
  selection_->clearSelection();
}

void ResultList::SelectRows(std::span<const std::uint32_t> rows) {
  selection_->SelectRows(rows);
}

void ResultList::SelectRows(std::span<const int> rows) {
  std::vector<std::uint32_t> valid;
  valid.reserve(rows.size());
  for (const int row : rows) {
    if (row >= 0) {
      valid.push_back(static_cast<std::uint32_t>(row));
    }
  }
  selection_->SelectRows(valid);
}

}  // namespace quillex
