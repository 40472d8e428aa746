#pragma once

// Standard library
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Qt
#include <QString>

// Ours
#include "views/CancelFlag.h"
#include "views/ListSearch.h"
#include "views/gui/NormalView.h"
#include "views/gui/ResultListModel.h"

namespace quillex {

class ResultList;
class ResultStore;

// The find field hands over at most this many characters.
inline constexpr int kMaxFindPatternChars = 255;

// The Windows-1252 bytes of the find field's text, cut to its first 255
// characters. Nothing when some character has no byte in the code page: no
// result can contain such a pattern.
[[nodiscard]] std::optional<std::string> FindPatternFromText(const QString& text);

// Adds every list row whose text contains `pattern` (A-Z matched as a-z, no
// other folding) to the selection; rows selected before stay selected. The
// first match below the last fully visible row is scrolled into full view,
// and only that one, so a further Find moves on to the next page of matches.
void ListFind(std::string_view pattern, ResultList& list);

// ListFind in two halves, for a search off the GUI thread: the search over
// an order of rows, and showing what it found in the list.
struct ListMatches {
  RowOrderPtr rows;                     // the order searched
  std::vector<std::uint32_t> matches;   // matching rows of that order, increasing
  std::vector<std::uint64_t> selected;  // their results, a bit each
};
[[nodiscard]] ListMatches SearchRows(std::string_view pattern, const ResultStore& store,
                                     RowOrderPtr rows, const CancelFlag* cancel = nullptr);
// Selects the matches and scrolls as ListFind does; nothing when the list
// shows another order than the one searched. Returns whether it showed them.
bool ShowListMatches(const ListMatches& found, ResultList& list);

// Selects the next occurrence of `pattern` in the running text, ignoring
// case: the search begins one character after the selection's start (at 0
// when nothing is selected there yet). The text scrolls by the lines between
// the old selection and the occurrence. Without an occurrence nothing changes.
void TextFind(std::string_view pattern, NormalView& view);

// TextFind in two halves: where the next occurrence after `selection` is,
// on any thread, and scrolling to it and selecting it, on the GUI thread.
[[nodiscard]] std::optional<TextRange> SearchText(std::string_view text, std::string_view pattern,
                                                  TextRange selection,
                                                  const CancelFlag* cancel = nullptr);
void ShowTextMatch(TextRange found, TextRange selection, NormalView& view);

// The Find command: nothing at all for an empty pattern; otherwise
// "Searching...", the search of the view that is shown, then "Ready".
// A pattern that cannot be converted to bytes (nullopt) finds nothing.
void Find(const std::optional<std::string>& pattern, bool advancedView, ResultList& list,
          NormalView& normalView, const std::function<void(const char*)>& status);

}  // namespace quillex
