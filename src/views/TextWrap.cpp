#include "views/TextWrap.h"

// Standard library
#include <algorithm>
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

// A layout on its way through the text: where the current line starts, the
// last place it may wrap, and its width so far.
struct LineWrapper {
  std::string_view text;
  std::size_t columns;
  std::vector<std::size_t>& starts;
  std::size_t lineStart = 0;
  std::size_t breakAfter = 0;  // == lineStart while the line has no break place
  std::size_t column = 0;

  // Lays out the bytes from `i` to `end` and returns where it stopped: at
  // `end`, or one further when a CR LF pair spans it.
  std::size_t Wrap(std::size_t i, std::size_t end);
};

// PERF: one pass over the bytes, no decoding. With a fixed-pitch font a
// line's width is its column count, so wrapping needs only the byte classes.
std::size_t LineWrapper::Wrap(std::size_t i, std::size_t end) {
  const std::size_t n = text.size();
  for (; i < end; ++i) {
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
  return i;
}

}  // namespace

std::vector<std::size_t> WrapLines(std::string_view text, std::size_t columns,
                                   const CancelFlag* cancel) {
  columns = columns == 0 ? 1 : columns;
  std::vector<std::size_t> starts;
  starts.reserve(text.size() / columns + 16);
  starts.push_back(0);
  LineWrapper wrapper{text, columns, starts};
  // The flag is read between blocks, outside the loop over the bytes.
  for (std::size_t i = 0; i < text.size();) {
    i = wrapper.Wrap(i, std::min(text.size(), i + kBytesBetweenCancelChecks));
    if (IsCancelled(cancel)) {
      break;
    }
  }
  return starts;
}

}  // namespace quillex
