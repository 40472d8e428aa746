#include "views/gui/Find.h"

// Standard library
#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstring>
#include <vector>

// Ours
#include "views/gui/Cp1252Text.h"
#include "views/gui/NormalView.h"
#include "views/gui/ResultList.h"
#include "views/gui/ResultListModel.h"

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

void ListFind(std::string_view pattern, ResultList& list) {
  const ListSearch search(pattern);
  const ResultListModel& model = list.Model();
  const std::vector<std::uint32_t> matches =
      search.MatchingRows(model.Store(), model.DisplayOrder());

  // Only the first match below the last fully visible row scrolls, and the
  // list does not move before that scroll, so the page is read once.
  const int top = list.TopVisibleRow();
  const int perPage = list.CountPerPage();
  const auto below = std::find_if(matches.begin(), matches.end(), [&](std::uint32_t row) {
    return static_cast<long long>(row) >= static_cast<long long>(top) + perPage &&
           static_cast<long long>(row) > top;
  });

  // One selection change for all matches; rows selected before keep theirs.
  list.SelectRows(matches);
  if (below != matches.end()) {
    list.EnsureVisible(static_cast<int>(*below), true);
  }
  list.viewport()->repaint();
}

void TextFind(std::string_view pattern, NormalView& view) {
  const TextRange selection = view.Selection();
  // The search starts one character after the selection's start, so a
  // further Find moves on, even to an occurrence overlapping this one. A
  // caret at 0 (the state after a scan) searches from 0; an occurrence
  // selected at 0 is moved past like any other.
  const bool atStart = selection.start == 0 && selection.end == 0;
  const std::size_t from = atStart ? 0 : selection.start + 1;
  const std::optional<TextRange> found = view.FindText(pattern, from);
  if (!found) {
    return;
  }
  const std::size_t oldLine = view.LineFromChar(selection.start);
  const std::size_t newLine = view.LineFromChar(found->start);
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
  view.SetSelection(found->start, found->end);
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
