#include "views/TextWrap.h"

// Standard library
#include <array>
#include <cstdint>

namespace quillex {

namespace {

// What a byte does to the layout.
enum ByteClass : std::uint8_t { kPlain, kSpace, kTab, kCr, kLf };

constexpr std::array<std::uint8_t, 256> kClasses = [] {
  std::array<std::uint8_t, 256> classes{};
  classes[' '] = kSpace;
  classes['\0'] = kSpace;
  classes['\t'] = kTab;
  classes['\r'] = kCr;
  classes['\n'] = kLf;
  return classes;
}();

}  // namespace

std::vector<std::size_t> WrapLines(std::string_view text, std::size_t columns,
                                   const CancelFlag* cancel) {
  columns = columns == 0 ? 1 : columns;
  const std::size_t n = text.size();
  std::vector<std::size_t> starts;
  starts.reserve(n / columns + 16);
  starts.push_back(0);
  // PERF: one pass over the bytes, no decoding. With a fixed-pitch font a
  // line's width is its column count, so wrapping needs only the byte classes.
  std::size_t lineStart = 0;
  std::size_t breakAfter = 0;  // == lineStart while the line has no break place
  std::size_t column = 0;
  std::size_t nextCheck = kBytesBetweenCancelChecks;
  for (std::size_t i = 0; i < n; ++i) {
    if (i >= nextCheck) [[unlikely]] {
      if (IsCancelled(cancel)) {
        return starts;
      }
      nextCheck = i + kBytesBetweenCancelChecks;
    }
    switch (kClasses[static_cast<unsigned char>(text[i])]) {
      case kPlain:
        if (column >= columns) [[unlikely]] {
          const std::size_t next = breakAfter > lineStart ? breakAfter : i;
          starts.push_back(next);
          lineStart = next;
          breakAfter = next;
          column = i - next;  // only plain bytes follow the last break place
        }
        ++column;
        break;
      case kSpace:
        ++column;
        breakAfter = i + 1;
        break;
      case kTab:
        column += kTabColumns - column % kTabColumns;
        breakAfter = i + 1;
        break;
      case kCr:
        if (i + 1 < n && text[i + 1] == '\n') {
          ++i;
        }
        [[fallthrough]];
      default:  // kLf
        starts.push_back(i + 1);
        lineStart = i + 1;
        breakAfter = lineStart;
        column = 0;
        break;
    }
  }
  return starts;
}

}  // namespace quillex
