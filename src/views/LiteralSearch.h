#pragma once

// Standard library
#include <array>
#include <string>
#include <string_view>

namespace quillex {

// Finds a fixed byte pattern in a run of bytes, either exactly or with the
// Windows-1252 letters folded as kCp1252Fold folds them. The row filter runs
// it over many texts at once, so it is built for long runs: a 16-byte step
// looks for the pattern's first and last byte together and only checks the
// middle where both are there.
class LiteralSearch {
 public:
  // An empty pattern is found at the start of every run.
  LiteralSearch(std::string_view pattern, bool foldCase);

  // The start of the first occurrence that lies wholly in [from, end), or
  // nullptr when there is none.
  [[nodiscard]] const char* Find(const char* from, const char* end) const;

  [[nodiscard]] std::size_t Size() const { return needle_.size(); }

 private:
  [[nodiscard]] bool MiddleMatches(const char* at) const;

  // The pattern, folded when foldCase.
  std::string needle_;
  bool foldCase_ = false;
  // The bytes that match the first and the last pattern byte: the byte
  // itself and, folding, its other case (the same byte again when it has
  // none).
  std::array<unsigned char, 2> first_{};
  std::array<unsigned char, 2> last_{};
};

}  // namespace quillex
