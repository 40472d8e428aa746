#include "filter/CharClassTable.h"

// Standard library
#include <cstdint>

// Ours
#include "filter/CharGroup.h"

namespace quillex {

void CharClassTable::SetBytes(const char* text, std::uint8_t flag) {
  if (text == nullptr) {
    return;
  }
  const std::uint8_t value = flag != 0 ? 1 : 0;
  for (const char* p = text; *p != '\0'; ++p) {
    flags_[static_cast<unsigned char>(*p)] = value;
  }
}

void CharClassTable::SetGroup(int group, std::uint8_t flag) {
  const CharGroup* found = CharGroupAt(group);
  if (found == nullptr) {
    return;
  }
  const std::uint8_t value = flag != 0 ? 1 : 0;
  // Group bytes are never 0, so this is SetBytes over the group's text.
  for (std::uint8_t byte : found->bytes) {
    if (byte != 0) {
      flags_[byte] = value;
    }
  }
}

std::uint8_t CharClassTable::GroupState(int group) const {
  const CharGroup* found = CharGroupAt(group);
  if (found == nullptr) {
    return 0;
  }
  std::uint8_t state = 1;
  for (std::uint8_t byte : found->bytes) {
    state &= flags_[byte];
  }
  return state;
}

void CharClassTable::Clear() {
  flags_.fill(0);
}

void CharClassTable::RestoreDefaults() {
  Clear();
  for (int group : DefaultGroupOrder()) {
    SetGroup(group, 1);
  }
}

}  // namespace quillex
