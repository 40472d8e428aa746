#include "scan/AnsiScanner.h"

// Standard library
#include <algorithm>
#include <bit>
#include <cstddef>
#include <cstring>

// Ours
#include "scan/ByteClassMask.h"

namespace quillex {

namespace {

constexpr std::size_t kChunk = kMaskBytes;

// Bit k set where byte k of the chunk is admitted.
std::uint64_t AdmittedMask(const ByteClassMask& classes, const std::uint8_t* p, std::size_t n) {
  if (n == kChunk) {
    return classes.Mask(p);
  }
  const std::uint8_t* flags = classes.Flags();
  std::uint64_t mask = 0;
  for (std::size_t k = 0; k < n; ++k) {
    mask |= std::uint64_t{flags[p[k]]} << k;
  }
  return mask;
}

// Bit s set where `width` set bits in a row start at s (width 1 to 64).
std::uint64_t RunsOfAtLeast(std::uint64_t mask, std::uint32_t width) {
  std::uint32_t have = 1;
  while (have < width) {
    const std::uint32_t shift = std::min(have, width - have);
    mask &= mask >> shift;
    have += shift;
  }
  return mask;
}

}  // namespace

AnsiScanner::AnsiScanner(const CharClassTable& table, const FilterCriteria& criteria,
                         std::span<char> textBuffer, ResultStore& store)
    : classes_(table), criteria_(criteria), text_(textBuffer.data()), store_(store) {
  window_ = std::min<std::uint32_t>(std::max<std::uint32_t>(criteria.minLength, 1), kChunk);
}

void AnsiScanner::EndRun(std::uint64_t end) {
  const std::uint32_t runLength = runLength_;
  runLength_ = 0;
  repeat_ = 1;
  text_[runLength] = '\0';
  // A run never grows past maxLength: the byte that would take it there drops it.
  if (runLength == 0 || runLength < criteria_.minLength || !AcceptMustContain(text_, criteria_)) {
    return;
  }
  textSize_ += runLength;
  ++count_;
  // A run is one unbroken stretch of bytes, so it starts runLength bytes
  // before the offset that ended it.
  const std::uint64_t start = end - runLength;
  store_.AddResult(static_cast<std::uint32_t>(start), static_cast<std::uint32_t>(start >> 32), 0,
                   text_, StringKind::Ansi);
}

void AnsiScanner::Extend(const std::uint8_t* bytes, std::size_t n, std::uint8_t previous) {
  const std::uint32_t maxLength = criteria_.maxLength;
  std::uint32_t runLength = runLength_;
  char* const text = text_;
  if (criteria_.repeatLimit == NoRepeatLimit) {
    // No repeat can ever reach the limit, so only the length drops a run: the
    // byte that would make it maxLength + 1 long belongs to no run.
    while (n != 0) {
      const std::size_t room = maxLength - runLength;
      if (n <= room) {
        std::memcpy(text + runLength, bytes, n);
        runLength += static_cast<std::uint32_t>(n);
        break;
      }
      bytes += room + 1;
      n -= room + 1;
      runLength = 0;
    }
    runLength_ = runLength;
    return;
  }
  const std::uint32_t repeatLimit = criteria_.repeatLimit;
  std::uint32_t repeat = repeat_;
  for (std::size_t k = 0; k < n; ++k) {
    const std::uint8_t b = bytes[k];
    ++runLength;
    repeat = (b == previous) ? repeat + 1 : 1;
    previous = b;
    if (runLength > maxLength || repeat >= repeatLimit) [[unlikely]] {
      runLength = 0;
      repeat = 1;
      continue;
    }
    text[runLength - 1] = static_cast<char>(b);
  }
  runLength_ = runLength;
  repeat_ = repeat;
}

void AnsiScanner::ScanChunk(const std::uint8_t* p, std::size_t n) {
  const std::uint64_t base = position_;
  const std::uint64_t mask = AdmittedMask(classes_, p, n);
  std::size_t from = 0;
  if (runLength_ != 0) {
    // The run left open by the previous chunk goes on with this one's first
    // admitted bytes, and ends at its first refused byte.
    const std::size_t length = static_cast<std::size_t>(std::countr_one(mask));
    Extend(p, length, previous_);
    if (length == n) {
      previous_ = p[n - 1];
      return;
    }
    EndRun(base + length);
    from = length + 1;
  }
  const std::uint64_t live = from >= kChunk ? 0 : (mask >> from) << from;
  // The run that reaches the end of the chunk stays open into the next one
  // whatever its length; it starts after the last refused byte.
  const std::uint64_t inChunk = n == kChunk ? ~std::uint64_t{0} : (std::uint64_t{1} << n) - 1;
  const std::uint64_t refused = ~live & inChunk;
  const std::size_t tail =
      refused == 0 ? 0 : 64 - static_cast<std::size_t>(std::countl_zero(refused));
  // Runs shorter than minLength inside the chunk can never be kept (drops only
  // make them shorter), so only runs holding minLength admitted bytes in a row
  // are looked at.
  std::uint64_t starts = RunsOfAtLeast(live, window_);
  starts &= tail >= kChunk ? ~std::uint64_t{0} : (std::uint64_t{1} << tail) - 1;
  while (starts != 0) {
    const auto start = static_cast<std::size_t>(std::countr_zero(starts));
    const auto end = start + static_cast<std::size_t>(std::countr_one(live >> start));
    Extend(p + start, end - start, start == 0 ? previous_ : p[start - 1]);
    EndRun(base + end);
    starts &= ~((std::uint64_t{2} << end) - 1);
  }
  if (tail < n) {
    Extend(p + tail, n - tail, tail == 0 ? previous_ : p[tail - 1]);
  }
  previous_ = p[n - 1];
}

void AnsiScanner::Scan(std::span<const std::uint8_t> block) {
  // PERF NOTES: binary data alternates between short admitted runs and
  // refused bytes, so a byte-by-byte state machine mispredicts its class
  // branch all the time. Instead each 64-byte chunk becomes a bit mask of
  // admitted bytes without a branch (ByteClassMask), and bit arithmetic
  // finds the runs that can matter: those holding minLength admitted bytes in
  // a row, and the ones that cross a chunk edge. Only their bytes go through
  // the length and repeat rules; with the repeat rule off they are copied
  // whole. Runs are independent of each other, since the byte before a run is
  // a refused one that no admitted byte can equal; only a drop carries its
  // byte over as the previous byte, and previous_ keeps it.
  const std::uint8_t* data = block.data();
  std::size_t size = block.size();
  while (size != 0) {
    const std::size_t n = std::min(size, kChunk);
    ScanChunk(data, n);
    position_ += n;
    data += n;
    size -= n;
  }
}

void AnsiScanner::Finish() {
  if (runLength_ != 0) {
    EndRun(position_);
  }
  runLength_ = 0;
  repeat_ = 1;
}

}  // namespace quillex
