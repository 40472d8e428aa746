#pragma once

// Standard library
#include <functional>
#include <optional>
#include <string>
#include <string_view>

// Qt
#include <QString>

// Ours
#include "views/ListSearch.h"

namespace quillex {

class NormalView;
class ResultList;

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

// Selects the next occurrence of `pattern` in the running text, ignoring
// case: the search begins one character after the selection's start (at 0
// when nothing is selected there yet). The text scrolls by the lines between
// the old selection and the occurrence. Without an occurrence nothing changes.
void TextFind(std::string_view pattern, NormalView& view);

// The Find command: nothing at all for an empty pattern; otherwise
// "Searching...", the search of the view that is shown, then "Ready".
// A pattern that cannot be converted to bytes (nullopt) finds nothing.
void Find(const std::optional<std::string>& pattern, bool advancedView, ResultList& list,
          NormalView& normalView, const std::function<void(const char*)>& status);

}  // namespace quillex
