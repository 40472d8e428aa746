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
#include "views/FormatColumn.h"
#include "views/RowOrder.h"
#include "views/gui/Cp1252Text.h"
#include "views/gui/KindIcons.h"

namespace quillex {

namespace {

// By ResultColumn; the columns after Text are the list's own.
constexpr std::array<const char*, 6> kColumnTitles = {"File pos", "Mem pos", "ID",
                                                      "Text",     "Length",  "Section"};

}  // namespace

ResultListModel::ResultListModel(const ResultStore& store, const SectionMap& map, QObject* parent)
    : QAbstractTableModel(parent), store_(store), map_(map) {}

int ResultListModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int ResultListModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(ResultColumn::ColumnCount);
}

QVariant ResultListModel::data(const QModelIndex& index, int role) const {
  if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid)) {
    return {};
  }
  const std::uint32_t result = rows_[static_cast<std::size_t>(index.row())];
  const auto column = static_cast<ResultColumn>(index.column());
  switch (role) {
    case Qt::DisplayRole: {
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
  // A view addresses rows with int; a store can never hold that many results
  // in practice, but the rows stop there rather than wrap.
  const std::size_t room = static_cast<std::size_t>(INT_MAX) - rows_.size();
  const std::uint32_t count =
      static_cast<std::uint32_t>(std::min<std::size_t>(store_.Count(), room));
  if (count == 0) {
    return;
  }
  const int first = static_cast<int>(rows_.size());
  beginInsertRows({}, first, first + static_cast<int>(count) - 1);
  rows_.reserve(rows_.size() + count);
  for (std::uint32_t i = 0; i < count; ++i) {
    rows_.push_back(i);
  }
  endInsertRows();
}

void ResultListModel::ClearRows() {
  beginResetModel();
  rows_ = {};
  endResetModel();
}

std::uint32_t ResultListModel::ResultIndexAt(int row) const {
  return rows_[static_cast<std::size_t>(row)];
}

void ResultListModel::SortByColumn(ResultColumn column) {
  const int c = static_cast<int>(column);
  if (c == sortColumn_) {
    sortDirection_ = -sortDirection_;
  } else {
    sortColumn_ = c;
    sortDirection_ = 1;
  }
  SortRows(column, sortDirection_);
}

void ResultListModel::SortRows(ResultColumn column, int direction) {
  if (rows_.size() < 2 || column < ResultColumn::FilePos || column >= ResultColumn::ColumnCount) {
    return;
  }
  ApplyOrder(SortedRowOrder(store_, map_, rows_, column, direction));
}

void ResultListModel::ApplyOrder(std::vector<std::uint32_t> order) {
  emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
  const QModelIndexList persistent = persistentIndexList();
  std::vector<std::uint32_t> newRows(order.size());
  for (std::size_t k = 0; k < order.size(); ++k) {
    newRows[k] = rows_[order[k]];
  }
  if (!persistent.isEmpty()) {
    // Selection and current row follow their rows to the new places.
    std::vector<std::uint32_t> newPlace(order.size());
    for (std::size_t k = 0; k < order.size(); ++k) {
      newPlace[order[k]] = static_cast<std::uint32_t>(k);
    }
    QModelIndexList moved;
    moved.reserve(persistent.size());
    for (const QModelIndex& index : persistent) {
      moved.append(this->index(static_cast<int>(newPlace[static_cast<std::size_t>(index.row())]),
                               index.column()));
    }
    rows_ = std::move(newRows);
    changePersistentIndexList(persistent, moved);
  } else {
    rows_ = std::move(newRows);
  }
  emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

}  // namespace quillex
