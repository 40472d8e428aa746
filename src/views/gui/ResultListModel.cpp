#include "views/gui/ResultListModel.h"

// Standard library
#include <algorithm>
#include <array>
#include <climits>
#include <utility>

// Qt
#include <QIcon>
#include <QString>

// Ours
#include "scan/SectionMap.h"
#include "store/ResultStore.h"
#include "tags/TagCategory.h"
#include "views/FormatColumn.h"
#include "views/RowOrder.h"
#include "views/TagsText.h"
#include "views/gui/Cp1252Text.h"
#include "views/gui/KindIcons.h"

namespace quillex {

namespace {

// By ResultColumn; the columns after Text are the list's own.
constexpr std::array<const char*, 7> kColumnTitles = {"File pos", "Mem pos", "ID",  "Text",
                                                      "Length",   "Section", "Tags"};

}  // namespace

void AddPendingSort(PendingSorts& sorts, SortClick click) {
  std::erase_if(sorts, [&](const SortClick& earlier) { return earlier.column == click.column; });
  sorts.push_back(click);
}

std::optional<std::vector<std::uint32_t>> ReplaySorts(
    const ResultStore& store, const SectionMap& map, std::vector<std::uint32_t> rows,
    const PendingSorts& sorts, const CancelFlag* cancel, std::span<const TagSet> tags) {
  for (const SortClick& sort : sorts) {
    if (sort.column < 0 || sort.column >= static_cast<int>(ResultColumn::ColumnCount)) {
      continue;
    }
    const std::vector<std::uint32_t> order = SortedRowOrder(
        store, map, rows, static_cast<ResultColumn>(sort.column), sort.direction, cancel, tags);
    if (IsCancelled(cancel) || order.size() != rows.size()) {
      return std::nullopt;
    }
    std::vector<std::uint32_t> sorted(rows.size());
    for (std::size_t k = 0; k < order.size(); ++k) {
      sorted[k] = rows[order[k]];
    }
    rows = std::move(sorted);
  }
  return rows;
}

ResultListModel::ResultListModel(const ResultStore& store, const SectionMap& map, QObject* parent)
    : QAbstractTableModel(parent),
      store_(store),
      map_(map),
      rows_(std::make_shared<const std::vector<std::uint32_t>>()),
      allRows_(rows_) {}

int ResultListModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(rows_->size());
}

int ResultListModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(ResultColumn::ColumnCount);
}

QVariant ResultListModel::data(const QModelIndex& index, int role) const {
  if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid)) {
    return {};
  }
  const std::uint32_t result = (*rows_)[static_cast<std::size_t>(index.row())];
  const auto column = static_cast<ResultColumn>(index.column());
  switch (role) {
    case Qt::DisplayRole: {
      if (column == ResultColumn::Tags) {
        return QString::fromLatin1(TagsText(TagsOf(result)));
      }
      char buffer[kFormatBufferSize];
      std::uint32_t length = 0;
      const char* text = FormatColumn(store_, map_, buffer, &length, result, column);
      QString shown = BytesToQString(std::string_view(text, length));
      // A row is one line: the item view would cut a text at its first line
      // break and hide the rest, so breaks show as spaces here (only here;
      // Find, Save and Copy read the bytes themselves). A section's name is
      // bytes from the file too, shown the same way.
      if (column == ResultColumn::Text || column == ResultColumn::Section) {
        shown.replace(QLatin1Char('\r'), QLatin1Char(' '))
            .replace(QLatin1Char('\n'), QLatin1Char(' '));
      }
      return shown;
    }
    case Qt::DecorationRole:
      if (column == ResultColumn::FilePos) {
        return KindIcons::Shared().Icon(static_cast<unsigned>(store_.Kind(result)));
      }
      return {};
    case Qt::AccessibleTextRole:
      // A screen reader cannot see the kind's letter, so the first cell
      // says the kind before the position.
      if (column == ResultColumn::FilePos) {
        return QString::fromLatin1(KindName(static_cast<unsigned>(store_.Kind(result)))) +
               QStringLiteral(", ") + data(index, Qt::DisplayRole).toString();
      }
      return data(index, Qt::DisplayRole);
    case Qt::TextAlignmentRole:
      return QVariant::fromValue(Qt::Alignment(Qt::AlignLeft | Qt::AlignVCenter));
    case ResultIndexRole:
      return QVariant::fromValue(result);
    case TagCategoryRole:
      return static_cast<int>(CategoryOf(TagsOf(result)));
    default:
      return {};
  }
}

QVariant ResultListModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || section < 0 ||
      section >= static_cast<int>(ResultColumn::ColumnCount)) {
    return {};
  }
  if (role == Qt::DisplayRole) {
    return QString::fromLatin1(kColumnTitles[static_cast<std::size_t>(section)]);
  }
  if (role == Qt::TextAlignmentRole) {
    return QVariant::fromValue(Qt::Alignment(Qt::AlignLeft | Qt::AlignVCenter));
  }
  return {};
}

void ResultListModel::Fill() {
  AppendRows(StoreOrder(store_.Count(), nullptr));
}

RowOrderPtr ResultListModel::StoreOrder(std::uint32_t count, const CancelFlag* cancel) {
  auto rows = std::make_shared<std::vector<std::uint32_t>>(count);
  for (std::size_t first = 0; first < count; first += kRowsBetweenCancelChecks) {
    if (IsCancelled(cancel)) {
      break;
    }
    const std::size_t last = std::min<std::size_t>(count, first + kRowsBetweenCancelChecks);
    std::iota(rows->begin() + static_cast<std::ptrdiff_t>(first),
              rows->begin() + static_cast<std::ptrdiff_t>(last), static_cast<std::uint32_t>(first));
  }
  return rows;
}

void ResultListModel::AppendRows(RowOrderPtr rows) {
  // A view addresses rows with int; a store can never hold that many results
  // in practice, but the rows stop there rather than wrap.
  const std::size_t room = static_cast<std::size_t>(INT_MAX) - rows_->size();
  const std::size_t count = std::min(rows->size(), room);
  if (count == 0) {
    return;
  }
  // PERF: rows into an empty list (every fill after a scan) come as a reset:
  // the table's row header then builds its table of ten million sections in
  // one go, a third faster than when it is told of inserted rows.
  if (rows_->empty() && count == rows->size()) {
    beginResetModel();
    rows_ = std::move(rows);
    if (!filtered_) {
      allRows_ = rows_;
    }
    endResetModel();
    return;
  }
  const int first = static_cast<int>(rows_->size());
  beginInsertRows({}, first, first + static_cast<int>(count) - 1);
  auto joined = std::make_shared<std::vector<std::uint32_t>>(*rows_);
  joined->insert(joined->end(), rows->begin(), rows->begin() + static_cast<std::ptrdiff_t>(count));
  rows_ = std::move(joined);
  if (!filtered_) {
    allRows_ = rows_;
  }
  endInsertRows();
}

void ResultListModel::SetTags(std::span<const TagSet> tags) {
  tags_ = tags;
  if (!rows_->empty()) {
    // Every row may change its Tags cell and its tint.
    emit dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1),
                     {Qt::DisplayRole, Qt::AccessibleTextRole, TagCategoryRole});
  }
}

void ResultListModel::ClearRows() {
  beginResetModel();
  rows_ = std::make_shared<const std::vector<std::uint32_t>>();
  allRows_ = rows_;
  pending_.clear();
  filtered_ = false;
  endResetModel();
}

bool ResultListModel::ShowFiltered(RowOrderPtr shown, const RowOrderPtr& basis) {
  if (!shown || basis != allRows_) {
    return false;
  }
  beginResetModel();
  rows_ = std::move(shown);
  filtered_ = true;
  endResetModel();
  return true;
}

bool ResultListModel::ShowAll(RowOrderPtr all, const RowOrderPtr& basis) {
  if (!all || basis != allRows_ || all->size() != allRows_->size()) {
    return false;
  }
  beginResetModel();
  rows_ = std::move(all);
  allRows_ = rows_;
  pending_.clear();
  filtered_ = false;
  endResetModel();
  return true;
}

std::uint32_t ResultListModel::ResultIndexAt(int row) const {
  return (*rows_)[static_cast<std::size_t>(row)];
}

SortClick ResultListModel::Click(ResultColumn column) {
  const int c = static_cast<int>(column);
  if (c == sortColumn_) {
    sortDirection_ = -sortDirection_;
  } else {
    sortColumn_ = c;
    sortDirection_ = 1;
  }
  return ClickState();
}

void ResultListModel::SetClickState(SortClick click) {
  sortColumn_ = click.column;
  sortDirection_ = click.direction;
}

void ResultListModel::SortByColumn(ResultColumn column) {
  const SortClick click = Click(column);
  SortRows(column, click.direction);
}

void ResultListModel::SortRows(ResultColumn column, int direction) {
  if (std::optional<SortedRows> sorted =
          Sorted(store_, map_, rows_, column, direction, nullptr, tags_)) {
    ApplySorted(std::move(*sorted));
  }
}

std::optional<SortedRows> ResultListModel::Sorted(const ResultStore& store, const SectionMap& map,
                                                  RowOrderPtr from, ResultColumn column,
                                                  int direction, const CancelFlag* cancel,
                                                  std::span<const TagSet> tags) {
  const std::vector<std::uint32_t>& old = *from;
  if (column < ResultColumn::FilePos || column >= ResultColumn::ColumnCount ||
      IsCancelled(cancel)) {
    return std::nullopt;
  }
  if (old.size() < 2) {
    // Nothing moves, but the sort still counts: a filter showing fewer
    // than two rows hands it on to every row when it is cleared.
    std::vector<std::uint32_t> newPlace;
    if (!old.empty()) {
      newPlace.push_back(0);
    }
    return SortedRows{from, from, std::move(newPlace), static_cast<int>(column), direction};
  }
  const std::vector<std::uint32_t> order =
      SortedRowOrder(store, map, old, column, direction, cancel, tags);
  if (IsCancelled(cancel) || order.size() != old.size()) {
    return std::nullopt;
  }
  // The new rows and each old row's new place: the GUI thread then moves
  // only the indexes it keeps.
  auto rows = std::make_shared<std::vector<std::uint32_t>>(order.size());
  std::vector<std::uint32_t> newPlace(order.size());
  for (std::size_t k = 0; k < order.size(); ++k) {
    (*rows)[k] = old[order[k]];
    newPlace[order[k]] = static_cast<std::uint32_t>(k);
  }
  return SortedRows{std::move(from), std::move(rows), std::move(newPlace), static_cast<int>(column),
                    direction};
}

bool ResultListModel::ApplySorted(SortedRows sorted) {
  if (sorted.from != rows_ || !sorted.rows || sorted.rows->size() != rows_->size()) {
    return false;
  }
  emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
  const QModelIndexList persistent = persistentIndexList();
  // Selection and current row follow their rows to the new places.
  QModelIndexList moved;
  moved.reserve(persistent.size());
  for (const QModelIndex& index : persistent) {
    moved.append(this->index(
        static_cast<int>(sorted.newPlace[static_cast<std::size_t>(index.row())]), index.column()));
  }
  rows_ = std::move(sorted.rows);
  // Without a filter the shown rows are the whole order; with one, the
  // whole order has the sort when the filter is cleared.
  if (filtered_) {
    AddPendingSort(pending_, SortClick{sorted.column, sorted.direction});
  } else {
    allRows_ = rows_;
  }
  changePersistentIndexList(persistent, moved);
  emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
  return true;
}

}  // namespace quillex
