#pragma once

// Standard library
#include <span>

// Ours
#include "views/ResultColumn.h"

class QMenu;

namespace quillex {

class ResultList;

// One column of the list as its header arranges it.
struct ListColumnRow {
  ResultColumn column;
  // Whether the column shows before the user chooses otherwise.
  bool shownAtStart;
  // The widest text the column usually holds, which sizes it at start; null
  // for the columns the list sizes itself (File pos to Text).
  const char* widestSample;
};

// The list's columns in the header's order, left to right. The first four are
// the columns of saved lists and copied rows; the list's own columns stand
// before Text, which is as wide as the widest text, so that they can be seen
// without scrolling sideways. A new column is one row here (and its title and
// cells in ResultListModel).
[[nodiscard]] std::span<const ListColumnRow> ListColumnRows();

// Arranges the header as the table says: the columns in its order, each shown
// or hidden and the list's own ones sized to their samples; and gives the
// header its context menu. Run once, when the list is made.
void SetUpListColumns(ResultList& list);

// The header's context menu: one checkable item per column, in the header's
// order, that shows or hides it. The last column shown cannot be hidden.
void FillColumnMenu(QMenu& menu, ResultList& list);

}  // namespace quillex
