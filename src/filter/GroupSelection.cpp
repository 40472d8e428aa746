#include "filter/GroupSelection.h"

// Standard library
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace quillex {

namespace {

std::size_t Index(int boxId) {
  return static_cast<std::size_t>(boxId - kFirstGroupBox);
}

bool IsGroupBox(int boxId) {
  return boxId >= kFirstGroupBox && boxId <= kLastGroupBox;
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
  for (int boxId : DefaultGroupOrder()) {
    selection.Tick(boxId, true);
  }
  return selection;
}

void GroupSelection::Tick(int boxId, bool ticked) {
  if (IsGroupBox(boxId)) {
    ticked_.set(Index(boxId), ticked);
  }
}

bool GroupSelection::IsTicked(int boxId) const {
  return IsGroupBox(boxId) && ticked_.test(Index(boxId));
}

void GroupSelection::BuildTable(CharClassTable& table) const {
  table.Clear();
  for (const CharGroup& group : CharGroups()) {
    if (IsTicked(group.boxId)) {
      table.SetGroup(group.boxId, 1);
    }
  }
}

int FindGroupByName(std::string_view name) {
  if (name.empty()) {
    return 0;
  }
  for (const CharGroup& group : CharGroups()) {
    if (NameMatches(group, name, true)) {
      return group.boxId;
    }
  }
  int found = 0;
  for (const CharGroup& group : CharGroups()) {
    if (NameMatches(group, name, false)) {
      if (found != 0) {
        return 0;  // more than one group answers to it
      }
      found = group.boxId;
    }
  }
  return found;
}

bool ParseGroupList(std::string_view list, std::vector<int>& boxIds, std::string& badName) {
  boxIds.clear();
  if (list.empty()) {
    return true;
  }
  for (;;) {
    const std::size_t comma = list.find(',');
    const std::string_view item = list.substr(0, comma);
    const int boxId = FindGroupByName(item);
    if (boxId == 0) {
      badName = std::string(item);
      return false;
    }
    boxIds.push_back(boxId);
    if (comma == std::string_view::npos) {
      return true;
    }
    list.remove_prefix(comma + 1);
  }
}

}  // namespace quillex
