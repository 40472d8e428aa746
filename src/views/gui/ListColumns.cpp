#include "views/gui/ListColumns.h"

// Standard library
#include <algorithm>
#include <array>

// Qt
#include <QAction>
#include <QFontMetrics>
#include <QHeaderView>
#include <QMenu>
#include <QStyle>

// Ours
#include "views/gui/ResultList.h"
#include "views/gui/ResultListModel.h"

namespace quillex {

namespace {

// Tags shows at start: it is what a reader hunting indicators scans the list
// for, and it stays empty, taking little room, in files that hold none. Its
// sample is the longest name with the tag that most often comes with it.
constexpr std::array<ListColumnRow, 7> kListColumns{{
    {ResultColumn::FilePos, true, nullptr},
    {ResultColumn::MemPos, true, nullptr},
    {ResultColumn::Id, true, nullptr},
    {ResultColumn::Length, false, "00000"},
    {ResultColumn::Section, false, ".textbss"},
    {ResultColumn::Tags, true, "windows-path, pdb"},
    {ResultColumn::Text, true, nullptr},
}};

// A cell wide enough for its sample and the header for its title, with the
// margins an item view puts on each side of a text.
int SampleWidth(const ResultList& list, int column, const char* sample) {
  const int margin = list.style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, &list) + 1;
  const int cell = QFontMetrics(list.font()).horizontalAdvance(QString::fromLatin1(sample));
  return std::max(cell + 2 * margin, list.header()->sectionSizeHint(column));
}

int ShownCount(const QHeaderView& header) {
  return header.count() - header.hiddenSectionCount();
}

}  // namespace

std::span<const ListColumnRow> ListColumnRows() {
  return kListColumns;
}

void SetUpListColumns(ResultList& list) {
  QHeaderView* header = list.header();
  int place = 0;
  for (const ListColumnRow& row : kListColumns) {
    const int column = static_cast<int>(row.column);
    if (column >= header->count()) {
      continue;
    }
    header->moveSection(header->visualIndex(column), place++);
    if (row.widestSample != nullptr) {
      header->resizeSection(column, SampleWidth(list, column, row.widestSample));
    }
    header->setSectionHidden(column, !row.shownAtStart);
  }
  header->setContextMenuPolicy(Qt::CustomContextMenu);
  QObject::connect(header, &QHeaderView::customContextMenuRequested, &list,
                   [&list](const QPoint& pos) {
                     QMenu menu(&list);
                     FillColumnMenu(menu, list);
                     list.RunMenu(menu, list.header()->viewport()->mapToGlobal(pos));
                   });
}

void FillColumnMenu(QMenu& menu, ResultList& list) {
  QHeaderView* header = list.header();
  const bool lastShown = ShownCount(*header) <= 1;
  for (int place = 0; place < header->count(); ++place) {
    const int column = header->logicalIndex(place);
    const QString title =
        list.model()->headerData(column, Qt::Horizontal, Qt::DisplayRole).toString();
    QAction* action = menu.addAction(title);
    action->setCheckable(true);
    action->setChecked(!header->isSectionHidden(column));
    action->setEnabled(!(lastShown && action->isChecked()));
    QObject::connect(action, &QAction::toggled, header,
                     [header, column](bool shown) { header->setSectionHidden(column, !shown); });
  }
}

}  // namespace quillex
