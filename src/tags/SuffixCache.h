#pragma once

// Standard library
#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace quillex {

class PublicSuffixes;

// One thread's memory of which top-level names are on the Public Suffix List.
// A scan's texts end in few distinct names ("dll", "so", "com", "h"), so after
// the first of each the answer costs a probe of this table instead of a call
// into libpsl. Direct-mapped, fixed in size, filled as it goes: it allocates
// nothing and, being one thread's own, takes no lock.
class SuffixCache {
 public:
  // suffixes.IsListedTopLevel(label), remembered; `label` is lower case.
  [[nodiscard]] bool IsListedTopLevel(const PublicSuffixes& suffixes, std::string_view label);

 private:
  static constexpr std::size_t kEntries = 512;
  // The longest top-level name on the list is 24 bytes ("xn--vermgensberatung-pwb");
  // longer labels are asked each time.
  static constexpr std::size_t kLongest = 30;
  struct Entry {
    std::uint8_t length = 0;  // 0: empty
    bool listed = false;
    char label[kLongest] = {};
  };
  std::array<Entry, kEntries> entries_{};
};

}  // namespace quillex
