#include "views/LiteralSearch.h"

// Standard library
#include <cstdint>
#include <cstring>

// Ours
#include "views/CaseFold.h"

namespace quillex {

namespace {

// Sixteen bytes in a vector register; GCC and clang give these the machine's
// own vector instructions (SSE2 on x86-64, NEON on ARM).
using Block = unsigned char __attribute__((vector_size(16)));
constexpr std::size_t kBlockBytes = sizeof(Block);

Block Load(const char* at) {
  Block block;
  std::memcpy(&block, at, kBlockBytes);
  return block;
}

Block Splat(unsigned char byte) {
  Block block;
  for (std::size_t i = 0; i < kBlockBytes; ++i) {
    block[i] = byte;
  }
  return block;
}

// The two bytes that fold to the same letter as `byte` (the byte twice when
// it has no other case).
std::array<unsigned char, 2> Cases(unsigned char byte, bool foldCase) {
  std::array<unsigned char, 2> cases = {byte, byte};
  if (foldCase) {
    for (unsigned b = 0; b < 256; ++b) {
      if (b != byte && kCp1252Fold[b] == kCp1252Fold[byte]) {
        cases[1] = static_cast<unsigned char>(b);
      }
    }
  }
  return cases;
}

}  // namespace

LiteralSearch::LiteralSearch(std::string_view pattern, bool foldCase)
    : needle_(pattern), foldCase_(foldCase) {
  if (needle_.empty()) {
    return;
  }
  if (foldCase_) {
    for (char& c : needle_) {
      c = static_cast<char>(FoldCp1252(c));
    }
  }
  first_ = Cases(static_cast<unsigned char>(pattern.front()), foldCase_);
  last_ = Cases(static_cast<unsigned char>(pattern.back()), foldCase_);
}

bool LiteralSearch::MiddleMatches(const char* at) const {
  const std::size_t m = needle_.size();
  if (m <= 2) {
    return true;
  }
  if (!foldCase_) {
    return std::memcmp(at + 1, needle_.data() + 1, m - 2) == 0;
  }
  for (std::size_t j = 1; j + 1 < m; ++j) {
    if (FoldCp1252(at[j]) != static_cast<unsigned char>(needle_[j])) {
      return false;
    }
  }
  return true;
}

const char* LiteralSearch::Find(const char* from, const char* end) const {
  const std::size_t m = needle_.size();
  if (end - from < static_cast<std::ptrdiff_t>(m)) {
    return nullptr;
  }
  if (m == 0) {
    return from;
  }
  // Every start in [0, starts) leaves room for the whole pattern.
  const std::size_t starts = static_cast<std::size_t>(end - from) - m + 1;
  std::size_t i = 0;
  // PERF: sixteen starts at a time, the bytes under the pattern's first and
  // last place compared with both their cases at once. Only a start where
  // both agree has its middle compared, so a pattern whose ends are rare
  // passes over text at several bytes per cycle.
  const Block first0 = Splat(first_[0]);
  const Block first1 = Splat(first_[1]);
  const Block last0 = Splat(last_[0]);
  const Block last1 = Splat(last_[1]);
  for (; i + kBlockBytes <= starts; i += kBlockBytes) {
    const Block heads = Load(from + i);
    const Block tails = Load(from + i + m - 1);
    const auto both =
        ((heads == first0) | (heads == first1)) & ((tails == last0) | (tails == last1));
    std::uint64_t halves[2];
    std::memcpy(halves, &both, sizeof(halves));
    if ((halves[0] | halves[1]) == 0) [[likely]] {
      continue;
    }
    for (std::size_t k = 0; k < kBlockBytes; ++k) {
      if (both[k] != 0 && MiddleMatches(from + i + k)) {
        return from + i + k;
      }
    }
  }
  for (; i < starts; ++i) {
    const auto head = static_cast<unsigned char>(from[i]);
    const auto tail = static_cast<unsigned char>(from[i + m - 1]);
    if ((head == first_[0] || head == first_[1]) && (tail == last_[0] || tail == last_[1]) &&
        MiddleMatches(from + i)) {
      return from + i;
    }
  }
  return nullptr;
}

}  // namespace quillex
