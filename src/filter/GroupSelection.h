#pragma once

// Standard library
#include <bitset>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Ours
#include "filter/CharClassTable.h"
#include "filter/CharGroup.h"

namespace quillex {

// Which of the 43 character groups are ticked, by group index.
class GroupSelection {
 public:
  // The 35 groups the Filter page shows ticked at start and after "Restore
  // defaults".
  [[nodiscard]] static GroupSelection Defaults();
  // No group ticked, as after "Clear".
  [[nodiscard]] static GroupSelection None() { return {}; }

  // Indexes outside 0 to 42 change nothing.
  void Tick(int group, bool ticked);
  [[nodiscard]] bool IsTicked(int group) const;

  // The table the page builds when exactly these boxes are ticked: cleared,
  // then each ticked group's bytes allowed. The groups share no byte, so the
  // order of the clicks that led here does not matter.
  void BuildTable(CharClassTable& table) const;

  bool operator==(const GroupSelection&) const = default;

 private:
  std::bitset<kGroupCount> ticked_;
};

// The group of a name, or nothing when no group has that name. A name is a
// group's label ("A-Z", "Space", "' (apostrophe)"), the word in a label's
// parentheses ("apostrophe", "comma", "minus", "period", "underscore",
// "backtick", "tilde") or the character before them. Case is ignored for
// ASCII letters, except that an exact match wins, so "a-z" and "A-Z" stay two
// groups; "A-z" matches both and so matches none.
[[nodiscard]] std::optional<int> FindGroupByName(std::string_view name);

// Reads a comma-separated list of group names into group indexes. Returns
// false and names the offending item in `badName` when an item is empty or
// names no group. An empty list is no groups.
[[nodiscard]] bool ParseGroupList(std::string_view list, std::vector<int>& groups,
                                  std::string& badName);

}  // namespace quillex
