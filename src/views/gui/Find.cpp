#include "views/gui/Find.h"

// Standard library
#include <algorithm>
#include <array>
#include <climits>
#include <cstdint>
#include <cstring>
#include <span>
#include <vector>

// Ours
#include "store/FormatColumn.h"
#include "store/ResultColumn.h"
#include "views/gui/Cp1252Text.h"
#include "views/gui/NormalView.h"
#include "views/gui/ResultList.h"
#include "views/gui/ResultListModel.h"

namespace quillex {

namespace {

// A to Z become a to z; every other byte, those of 0x80 and above included,
// stays itself. The list search folds no further than this.
constexpr std::array<std::uint8_t, 256> kLowerAscii = [] {
  std::array<std::uint8_t, 256> table{};
  for (std::size_t b = 0; b < table.size(); ++b) {
    table[b] = static_cast<std::uint8_t>(b >= 'A' && b <= 'Z' ? b + ('a' - 'A') : b);
  }
  return table;
}();

// Whether the lowered `pattern` occurs in the first `length` bytes of `text`
// once those are lowered.
// PERF: texts are mostly a few dozen bytes, so a straight scan that tests
// the first pattern byte through the table beats building a skip table per
// row; nothing is copied or allocated.
bool ContainsLowered(const std::uint8_t* text, std::size_t length, const std::uint8_t* pattern,
                     std::size_t patternLength) {
  if (length < patternLength) {
    return false;
  }
  const std::uint8_t first = pattern[0];
  const std::size_t lastStart = length - patternLength;
  for (std::size_t i = 0; i <= lastStart; ++i) {
    if (kLowerAscii[text[i]] != first) [[likely]] {
      continue;
    }
    std::size_t k = 1;
    while (k < patternLength && kLowerAscii[text[i + k]] == pattern[k]) {
      ++k;
    }
    if (k == patternLength) {
      return true;
    }
  }
  return false;
}

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
  if (pattern.empty()) {
    return;
  }
  if (pattern.size() > kListFindTextBytes) {
    return;  // longer than the searched part of any text
  }
  std::array<std::uint8_t, kListFindTextBytes> lowered{};
  const std::size_t patternLength = pattern.size();
  for (std::size_t i = 0; i < patternLength; ++i) {
    lowered[i] = kLowerAscii[static_cast<std::uint8_t>(pattern[i])];
  }

  const ResultListModel& model = list.Model();
  const std::span<const std::uint32_t> rows = model.DisplayOrder();
  // Only the first match below the last fully visible row scrolls, and the
  // list does not move before that scroll, so the page is read once.
  const int top = list.TopVisibleRow();
  const int perPage = list.CountPerPage();
  int scrollRow = -1;

  std::vector<int> matches;
  char scratch[kFormatBufferSize];
  for (std::size_t r = 0; r < rows.size(); ++r) {
    const char* text =
        FormatColumn(model.Store(), model.Map(), scratch, nullptr, rows[r], ResultColumn::Text);
    const std::size_t length = ::strnlen(text, kListFindTextBytes);
    if (!ContainsLowered(reinterpret_cast<const std::uint8_t*>(text), length, lowered.data(),
                         patternLength)) {
      continue;
    }
    const int row = static_cast<int>(r);
    matches.push_back(row);
    if (scrollRow < 0 && row >= top + perPage && row > top) {
      scrollRow = row;
    }
  }

  // One selection change for all matches: runs of neighbouring rows become
  // single ranges, and rows selected before keep their selection.
  list.SelectRows(matches);
  if (scrollRow >= 0) {
    list.EnsureVisible(scrollRow, true);
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
