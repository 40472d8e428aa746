#include "scan/AnsiScanner.h"

// Standard library
#include <cstddef>
#include <cstring>

namespace quillex {

AnsiScanner::AnsiScanner(const CharClassTable& table, const FilterCriteria& criteria,
                         std::span<char> textBuffer, ResultStore& store)
    : flags_(table.Data()), criteria_(criteria), text_(textBuffer.data()), store_(store) {}

void AnsiScanner::EndRun(std::uint32_t runLength) {
  text_[runLength] = '\0';
  // A run never grows past maxLength: the byte that would take it there drops it.
  if (runLength < criteria_.minLength || !AcceptMustContain(text_, criteria_)) {
    return;
  }
  textSize_ += runLength;
  ++count_;
  store_.AddResult(static_cast<std::uint32_t>(runStart_),
                   static_cast<std::uint32_t>(runStart_ >> 32), 0, text_, StringKind::Ansi);
}

void AnsiScanner::Scan(std::span<const std::uint8_t> block) {
  // PERF NOTES: the state lives in locals for the whole block and the class
  // test is one load from the flat table per byte. While no run is open the
  // inner skip loop does nothing but that load, which is where binary data
  // spends most of its bytes. The run start is only noted when a run's first
  // byte arrives, which gives the same offset as setting it after every end.
  const std::uint8_t* const flags = flags_;
  const std::uint8_t* const data = block.data();
  const std::size_t size = block.size();
  const std::uint32_t maxLength = criteria_.maxLength;
  const std::uint32_t repeatLimit = criteria_.repeatLimit;
  char* const text = text_;

  std::uint32_t runLength = runLength_;
  std::uint32_t repeat = repeat_;
  std::uint8_t previous = previous_;
  std::size_t i = 0;

  while (i < size) {
    if (runLength == 0) {
      const std::size_t from = i;
      // Eight bytes at a time: a word of zeros is skipped without a look-up,
      // any other word when none of its bytes is admitted.
      while (i + 8 <= size) {
        const std::uint8_t* p = data + i;
        std::uint64_t word;
        std::memcpy(&word, p, sizeof word);
        if (word != 0 && (flags[p[0]] | flags[p[1]] | flags[p[2]] | flags[p[3]] | flags[p[4]] |
                          flags[p[5]] | flags[p[6]] | flags[p[7]]) != 0) {
          break;
        }
        i += 8;
      }
      while (i < size && flags[data[i]] == 0) {
        ++i;
      }
      if (i != from) {
        previous = data[i - 1];
      }
      if (i == size) {
        break;
      }
      runStart_ = position_ + i;
    }
    // Inside a run: every byte either extends it, drops it or ends it.
    for (; i < size; ++i) {
      const std::uint8_t b = data[i];
      if (flags[b] == 0) {
        EndRun(runLength);
        runLength = 0;
        repeat = 1;
        previous = b;
        ++i;
        break;
      }
      ++runLength;
      repeat = (b == previous) ? repeat + 1 : 1;
      previous = b;
      if (runLength > maxLength || repeat >= repeatLimit) [[unlikely]] {
        // The dropping byte belongs to no run; the next run starts after it.
        runLength = 0;
        repeat = 1;
        ++i;
        break;
      }
      text[runLength - 1] = static_cast<char>(b);
    }
  }

  position_ += size;
  runLength_ = runLength;
  repeat_ = repeat;
  previous_ = previous;
}

void AnsiScanner::Finish() {
  if (runLength_ != 0) {
    EndRun(runLength_);
  }
  runLength_ = 0;
  repeat_ = 1;
}

}  // namespace quillex
