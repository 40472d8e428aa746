#include "views/TextSearch.h"

// Standard library
#include <algorithm>
#include <array>
#include <cstdint>
#include <string>

// Ours
#include "views/CaseFold.h"

namespace quillex {

namespace {

// The running text folds letters as the shared Windows-1252 table does, and
// shows the NUL that ends each pool text as a space, so it folds to one.
constexpr std::array<std::uint8_t, 256> kTextFold = [] {
  std::array<std::uint8_t, 256> fold = kCp1252Fold;
  fold[0] = ' ';
  return fold;
}();

inline std::uint8_t TextFold(char c) {
  return kTextFold[static_cast<unsigned char>(c)];
}

}  // namespace

std::optional<std::size_t> FindIgnoringCase(std::string_view text, std::string_view pattern,
                                            std::size_t from, const CancelFlag* cancel) {
  const std::size_t m = pattern.size();
  const std::size_t n = text.size();
  if (m == 0 || from > n || n - from < m) {
    return std::nullopt;
  }
  // Horspool over folded bytes: the folded byte under the pattern's last
  // position decides how far the pattern may move on.
  std::string folded(m, '\0');
  for (std::size_t i = 0; i < m; ++i) {
    folded[i] = static_cast<char>(TextFold(pattern[i]));
  }
  std::array<std::size_t, 256> shift;
  shift.fill(m);
  for (std::size_t i = 0; i + 1 < m; ++i) {
    shift[static_cast<unsigned char>(folded[i])] = m - 1 - i;
  }
  const char* bytes = text.data();
  const auto lastWanted = static_cast<unsigned char>(folded[m - 1]);
  // The flag is read between blocks of a megabyte, outside the search loop.
  for (std::size_t i = from;;) {
    const std::size_t stop = std::min(n - m, i + kBytesBetweenCancelChecks);
    while (i <= stop) {
      const std::uint8_t last = TextFold(bytes[i + m - 1]);
      if (last == lastWanted) {
        std::size_t k = 0;
        while (k + 1 < m && TextFold(bytes[i + k]) == static_cast<unsigned char>(folded[k])) {
          ++k;
        }
        if (k + 1 >= m) {
          return i;
        }
      }
      i += shift[last];
    }
    if (i > n - m || IsCancelled(cancel)) {
      return std::nullopt;
    }
  }
}

}  // namespace quillex
