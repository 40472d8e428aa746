#pragma once

#include <array>
#include <cstdint>

namespace quillex {

// 256 flags indexed by byte value: 1 where the byte may occur inside a string.
// Every operation that sets flags takes a NUL-terminated text, so the flag of
// byte 0 can never become 1 and a 0 byte always ends a string.
class CharClassTable {
 public:
  CharClassTable() { Clear(); }

  // Sets the flag of every byte of the NUL-terminated text, left to right.
  void SetBytes(const char* text, std::uint8_t flag);
  // SetBytes over the byte values of group `group` (an index into
  // CharGroups()); other indexes change nothing.
  void SetGroup(int group, std::uint8_t flag);
  // 1 exactly when every byte of the group is allowed; 0 for unknown indexes.
  [[nodiscard]] std::uint8_t GroupState(int group) const;
  void Clear();
  // Clear, then the 35 default groups in their fixed order.
  void RestoreDefaults();

  [[nodiscard]] bool Allowed(std::uint8_t byte) const { return flags_[byte] != 0; }
  // The flat table, for the scanners' one-load-per-byte test.
  [[nodiscard]] const std::uint8_t* Data() const { return flags_.data(); }

 private:
  std::array<std::uint8_t, 256> flags_{};
};

}  // namespace quillex
