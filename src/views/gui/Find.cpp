#include "views/gui/Find.h"

// Standard library
#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstring>
#include <vector>

// Ours
#include "store/ResultStore.h"
#include "views/RowSelection.h"
#include "views/TextSearch.h"
#include "views/gui/Cp1252Text.h"
#include "views/gui/NormalView.h"
#include "views/gui/ResultList.h"
#include "views/gui/ResultListModel.h"
#include "views/gui/ResultSelectionModel.h"

namespace quillex {

namespace {

int ClampToInt(long long value) {
  return static_cast<int>(std::clamp<long long>(value, INT_MIN, INT_MAX));
}

}  // namespace

std::optional<std::string> FindPatternFromText(const QString& text) {
  std::optional<std::string> bytes = QStringToBytes(text.left(kMaxFindPatternChars));
  if (bytes) {
    // The pattern ends at its first NUL, as the field's text always has.
    bytes->resize(std::strlen(bytes->c_str()));
  }
  return bytes;
}

ListMatches SearchRows(std::string_view pattern, const ResultStore& store, RowOrderPtr rows,
                       const CancelFlag* cancel) {
  ListMatches found;
  found.matches = ListSearch(pattern).MatchingRows(store, *rows, cancel);
  found.selected = RowSelection::ResultBits(*rows, found.matches, store.Count());
  found.rows = std::move(rows);
  return found;
}

bool ShowListMatches(const ListMatches& found, ResultList& list) {
  if (found.rows != list.Model().Order()) {
    return false;
  }
  // Only the first match below the last fully visible row scrolls, and the
  // list does not move before that scroll, so the page is read once.
  const int top = list.TopVisibleRow();
  const int perPage = list.CountPerPage();
  const auto below =
      std::find_if(found.matches.begin(), found.matches.end(), [&](std::uint32_t row) {
        return static_cast<long long>(row) >= static_cast<long long>(top) + perPage &&
               static_cast<long long>(row) > top;
      });

  // One selection change for all matches; rows selected before keep theirs.
  list.Selection().SelectResults(found.selected);
  if (below != found.matches.end()) {
    list.EnsureVisible(static_cast<int>(*below), true);
  }
  list.viewport()->repaint();
  return true;
}

void ListFind(std::string_view pattern, ResultList& list) {
  const ResultListModel& model = list.Model();
  ShowListMatches(SearchRows(pattern, model.Store(), model.Order()), list);
}

std::optional<TextRange> SearchText(std::string_view text, std::string_view pattern,
                                    TextRange selection, const CancelFlag* cancel) {
  // The search starts one character after the selection's start, so a
  // further Find moves on, even to an occurrence overlapping this one. A
  // caret at 0 (the state after a scan) searches from 0; an occurrence
  // selected at 0 is moved past like any other.
  const bool atStart = selection.start == 0 && selection.end == 0;
  const std::size_t from = atStart ? 0 : selection.start + 1;
  const std::optional<std::size_t> found = FindIgnoringCase(text, pattern, from, cancel);
  if (!found || IsCancelled(cancel)) {
    return std::nullopt;
  }
  return TextRange{*found, *found + pattern.size()};
}

void ShowTextMatch(TextRange found, TextRange selection, NormalView& view) {
  const std::size_t oldLine = view.LineFromChar(selection.start);
  const std::size_t newLine = view.LineFromChar(found.start);
  view.ScrollLines(ClampToInt(static_cast<long long>(newLine) - static_cast<long long>(oldLine)));

  // Scrolling by the line difference shows the occurrence only when the old
  // selection was in view; after the user has scrolled elsewhere, bring the
  // occurrence's line into the page as well.
  const std::size_t first = view.FirstVisibleLine();
  const std::size_t perPage = static_cast<std::size_t>(view.LinesPerPage());
  if (newLine < first) {
    view.ScrollLines(ClampToInt(static_cast<long long>(newLine) - static_cast<long long>(first)));
  } else if (newLine >= first + perPage) {
    view.ScrollLines(ClampToInt(static_cast<long long>(newLine - (first + perPage)) + 1));
  }
  view.SetSelection(found.start, found.end);
}

void TextFind(std::string_view pattern, NormalView& view) {
  const TextRange selection = view.Selection();
  if (const std::optional<TextRange> found = SearchText(view.Bytes(), pattern, selection)) {
    ShowTextMatch(*found, selection, view);
  }
}

void Find(const std::optional<std::string>& pattern, bool advancedView, ResultList& list,
          NormalView& normalView, const std::function<void(const char*)>& status) {
  if (pattern && pattern->empty()) {
    return;
  }
  status("Searching...");
  if (pattern) {
    if (advancedView) {
      ListFind(*pattern, list);
    } else {
      TextFind(*pattern, normalView);
    }
  }
  status("Ready");
}

}  // namespace quillex
