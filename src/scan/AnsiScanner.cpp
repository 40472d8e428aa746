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

// Bit k set where byte k of the n < 64 bytes at p is admitted.
std::uint64_t PartialMask(const std::uint8_t* flags, const std::uint8_t* p, std::size_t n) {
  std::uint64_t mask = 0;
  for (std::size_t k = 0; k < n; ++k) {
    mask |= std::uint64_t{flags[p[k]]} << k;
  }
  return mask;
}

// Copies n <= 64 bytes with a few fixed-size moves, some of them overlapping,
// instead of a library call per run.
void CopyShort(char* to, const std::uint8_t* from, std::size_t n) {
  if (n >= 16) {
    for (std::size_t k = 0; k + 16 < n; k += 16) {
      std::memcpy(to + k, from + k, 16);
    }
    std::memcpy(to + n - 16, from + n - 16, 16);
  } else if (n >= 8) {
    std::memcpy(to, from, 8);
    std::memcpy(to + n - 8, from + n - 8, 8);
  } else if (n >= 4) {
    std::memcpy(to, from, 4);
    std::memcpy(to + n - 4, from + n - 4, 4);
  } else {
    for (std::size_t k = 0; k < n; ++k) {
      to[k] = static_cast<char>(from[k]);
    }
  }
}

}  // namespace

AnsiScanner::AnsiScanner(const CharClassTable& table, const FilterCriteria& criteria,
                         std::span<char> textBuffer, ResultStore& store)
    : classes_(table), criteria_(criteria), text_(textBuffer.data()), store_(store) {
  window_ = std::min<std::uint32_t>(std::max<std::uint32_t>(criteria.minLength, 1), kChunk);
  // Bit s of a mask ANDed with itself shifted by h has both s and s + h; with
  // `have` bits in a row known, a shift by up to `have` extends that to the
  // sum, so a window of w takes about log2(w) steps.
  std::uint32_t have = 1;
  while (have < window_) {
    const std::uint32_t shift = std::min(have, window_ - have);
    steps_[stepCount_++] = static_cast<std::uint8_t>(shift);
    have += shift;
  }
}

std::uint64_t AnsiScanner::RunsOfWindow(std::uint64_t mask) const {
  for (std::uint32_t k = 0; k < stepCount_; ++k) {
    mask &= mask >> steps_[k];
  }
  return mask;
}

void AnsiScanner::EndRun(std::uint64_t end) {
  const std::uint32_t runLength = runLength_;
  runLength_ = 0;
  repeat_ = 1;
  text_[runLength] = '\0';
  // A run never grows past maxLength: the byte that would take it there drops it.
  if (runLength == 0 || runLength < criteria_.minLength ||
      (criteria_.mustContainEnabled && !AcceptMustContain(text_, criteria_))) {
    return;
  }
  textSize_ += runLength;
  ++count_;
  // A run is one unbroken stretch of bytes, so it starts runLength bytes
  // before the offset that ended it.
  const std::uint64_t start = end - runLength;
  store_.AddResult(static_cast<std::uint32_t>(start), static_cast<std::uint32_t>(start >> 32), 0,
                   text_, runLength, StringKind::Ansi);
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
        CopyShort(text + runLength, bytes, n);
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

void AnsiScanner::ScanChunk(const std::uint8_t* p, std::size_t n, std::uint64_t mask) {
  const std::uint64_t base = position_;
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
  std::uint64_t starts = RunsOfWindow(live);
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
  // The masks of a whole block are built in one call, so the kernel is
  // chosen once per block and runs as one tight loop.
  const std::uint8_t* data = block.data();
  std::size_t size = block.size();
  while (size >= kChunk) {
    const std::size_t chunks = std::min(size / kChunk, kMaskBatch);
    classes_.Fill(data, chunks, masks_.data(), nullptr);
    for (std::size_t i = 0; i < chunks; ++i) {
      const std::uint64_t mask = masks_[i];
      // Most chunks of binary data hold no run of minLength bytes and end in
      // a run too short to matter even with the next chunk's first bytes; with
      // no run open they are passed over. The bytes such a short run leaves
      // at the start of the next chunk are never looked at there either, as
      // they are fewer than minLength and do not reach that chunk's end. The
      // last chunk of the batch has no known successor and is looked at
      // whenever it ends in an admitted byte.
      const std::uint64_t next = i + 1 < chunks ? masks_[i + 1] : ~std::uint64_t{0};
      const auto tail = static_cast<std::uint32_t>(std::countl_one(mask));
      const auto lead = static_cast<std::uint32_t>(std::countr_one(next));
      if (runLength_ == 0 && RunsOfWindow(mask) == 0 && (tail == 0 || tail + lead < window_)) {
        previous_ = data[kChunk - 1];
      } else {
        ScanChunk(data, kChunk, mask);
      }
      position_ += kChunk;
      data += kChunk;
    }
    size -= chunks * kChunk;
  }
  if (size != 0) {
    ScanChunk(data, size, PartialMask(classes_.Flags(), data, size));
    position_ += size;
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
