#include "filter/GroupSelection.h"

// Standard library
#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace quillex {

namespace {

bool IsGroup(int group) {
  return group >= 0 && group < kGroupCount;
}

char AsciiLower(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool EqualIgnoringAsciiCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) {
    return false;
  }
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (AsciiLower(a[i]) != AsciiLower(b[i])) {
      return false;
    }
  }
  return true;
}

// "' (apostrophe)" also answers to "'" and to "apostrophe".
bool NameMatches(const CharGroup& group, std::string_view name, bool exact) {
  auto same = [exact](std::string_view a, std::string_view b) {
    return exact ? a == b : EqualIgnoringAsciiCase(a, b);
  };
  if (same(group.name, name)) {
    return true;
  }
  const std::size_t open = group.name.find(" (");
  if (open == std::string_view::npos || group.name.back() != ')') {
    return false;
  }
  const std::string_view character = group.name.substr(0, open);
  const std::string_view word = group.name.substr(open + 2, group.name.size() - open - 3);
  return same(character, name) || same(word, name);
}

}  // namespace

GroupSelection GroupSelection::Defaults() {
  GroupSelection selection;
  for (int group : DefaultGroupOrder()) {
    selection.Tick(group, true);
  }
  return selection;
}

void GroupSelection::Tick(int group, bool ticked) {
  if (IsGroup(group)) {
    ticked_.set(static_cast<std::size_t>(group), ticked);
  }
}

bool GroupSelection::IsTicked(int group) const {
  return IsGroup(group) && ticked_.test(static_cast<std::size_t>(group));
}

void GroupSelection::BuildTable(CharClassTable& table) const {
  table.Clear();
  for (int group = 0; group < kGroupCount; ++group) {
    if (IsTicked(group)) {
      table.SetGroup(group, 1);
    }
  }
}

std::optional<int> FindGroupByName(std::string_view name) {
  if (name.empty()) {
    return std::nullopt;
  }
  const std::span<const CharGroup> groups = CharGroups();
  for (std::size_t i = 0; i < groups.size(); ++i) {
    if (NameMatches(groups[i], name, true)) {
      return static_cast<int>(i);
    }
  }
  std::optional<int> found;
  for (std::size_t i = 0; i < groups.size(); ++i) {
    if (NameMatches(groups[i], name, false)) {
      if (found) {
        return std::nullopt;  // more than one group answers to it
      }
      found = static_cast<int>(i);
    }
  }
  return found;
}

bool ParseGroupList(std::string_view list, std::vector<int>& groups, std::string& badName) {
  groups.clear();
  if (list.empty()) {
    return true;
  }
  for (;;) {
    const std::size_t comma = list.find(',');
    const std::string_view item = list.substr(0, comma);
    const std::optional<int> group = FindGroupByName(item);
    if (!group) {
      badName = std::string(item);
      return false;
    }
    groups.push_back(*group);
    if (comma == std::string_view::npos) {
      return true;
    }
    list.remove_prefix(comma + 1);
  }
}

}  // namespace quillex
