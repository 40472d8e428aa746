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

AnsiScanner::ChunkRuns AnsiScanner::RunsOfChunk(std::uint64_t mask, std::size_t from,
                                                std::size_t n) const {
  const std::uint64_t live = from >= kChunk ? 0 : (mask >> from) << from;
  const std::uint64_t inChunk = n == kChunk ? ~std::uint64_t{0} : (std::uint64_t{1} << n) - 1;
  const std::uint64_t refused = ~live & inChunk;
  // The last run starts after the last refused byte.
  const std::size_t tail =
      refused == 0 ? 0 : 64 - static_cast<std::size_t>(std::countl_zero(refused));
  std::uint64_t starts = RunsOfWindow(live);
  starts &= tail >= kChunk ? ~std::uint64_t{0} : (std::uint64_t{1} << tail) - 1;
  return {live, starts, tail};
}

bool AnsiScanner::PassOver(std::uint64_t mask, std::uint64_t next) const {
  // Most chunks of binary data hold no run of minLength bytes and end in a
  // run too short to matter even with the next chunk's first bytes. The bytes
  // such a short run leaves at the start of the next chunk are never looked
  // at there either, as they are fewer than minLength and do not reach that
  // chunk's end.
  const auto tail = static_cast<std::uint32_t>(std::countl_one(mask));
  const auto lead = static_cast<std::uint32_t>(std::countr_one(next));
  return RunsOfWindow(mask) == 0 && (tail == 0 || tail + lead < window_);
}

void AnsiScanner::EndRun(std::uint64_t end) {
  const std::uint32_t runLength = runLength_;
  runLength_ = 0;
  repeat_ = 1;
  // A run never grows past maxLength: the byte that would take it there drops it.
  Emit(text_, runLength, end);
}

void AnsiScanner::Emit(const char* text, std::uint32_t length, std::uint64_t end) {
  if (length == 0 || length < criteria_.minLength) {
    return;
  }
  if (criteria_.mustContainEnabled) {
    if (text != text_) {
      std::memcpy(text_, text, length);
    }
    text_[length] = '\0';
    if (!AcceptMustContain(text_, criteria_)) {
      return;
    }
  }
  textSize_ += length;
  ++count_;
  // A run is one unbroken stretch of bytes, so it starts `length` bytes
  // before the offset that ended it.
  const std::uint64_t start = end - length;
  store_.AddResult(static_cast<std::uint32_t>(start), static_cast<std::uint32_t>(start >> 32), 0,
                   text, length, StringKind::Ansi);
}

void AnsiScanner::ScanWithoutRepeats(const std::uint8_t* data, std::size_t size) {
  // PERF NOTES: with the repeat rule off only the length drops bytes, and
  // that can be worked out from a run's length alone: a run of L admitted
  // bytes drops its first maxLength + 1 bytes as often as it is longer than
  // maxLength, so its candidate is its last L mod (maxLength + 1) bytes (all
  // of them when L <= maxLength). A run that ends inside the block is handed
  // to the store straight from the block, without being copied first; only
  // the bytes of a run still open at the end of the block go to text_, so
  // that it can go on in the next one.
  constexpr std::size_t kNone = ~std::size_t{0};
  const std::uint32_t maxLength = criteria_.maxLength;
  const std::uint64_t cycle = std::uint64_t{maxLength} + 1;
  const std::uint64_t blockStart = position_;
  const char* const bytes = reinterpret_cast<const char*>(data);
  // Where the open run's bytes in this block begin, or kNone when no run is
  // open; `carried` of its bytes are in text_ from earlier blocks.
  std::size_t open = runLength_ != 0 ? 0 : kNone;
  std::uint32_t carried = runLength_;

  // The candidate of a run of `total` admitted bytes.
  auto keptOf = [&](std::uint64_t total) {
    return static_cast<std::uint32_t>(total > maxLength ? total % cycle : total);
  };
  // The open run ends before data[end]. A run that lost bytes to a drop keeps
  // fewer than it has in this block, so only an undropped run can reach back
  // into the bytes carried in text_.
  auto endRun = [&](std::size_t end) {
    const std::size_t here = end - open;
    const std::uint32_t kept = keptOf(std::uint64_t{carried} + here);
    if (kept <= here) {
      Emit(bytes + end - kept, kept, blockStart + end);
    } else {
      std::memcpy(text_ + carried, bytes + open, here);
      Emit(text_, kept, blockStart + end);
    }
    open = kNone;
    carried = 0;
  };

  ForEachChunk(classes_, data, size, masks_.data(), nullptr,
               [&](const std::uint8_t* p, std::size_t n, std::uint64_t mask, std::uint64_t /*zero*/,
                   std::uint64_t next) {
                 const std::size_t at = static_cast<std::size_t>(p - data);
                 // With no run open, a chunk with only short runs is passed
                 // over. The last chunk of a batch has no known successor and
                 // is looked at whenever it ends in an admitted byte.
                 if (open == kNone && n == kChunk && PassOver(mask, next)) {
                   return;
                 }
                 std::size_t from = 0;
                 if (open != kNone) {
                   // The open run goes on with this chunk's first admitted bytes.
                   const auto length = static_cast<std::size_t>(std::countr_one(mask));
                   if (length >= n) {
                     return;
                   }
                   endRun(at + length);
                   from = length + 1;
                 }
                 // The run after the last refused byte stays open into the next chunk.
                 auto [live, starts, tail] = RunsOfChunk(mask, from, n);
                 while (starts != 0) {
                   // A whole run inside the chunk; it ends at a refused byte, so end <= 63.
                   const auto start = static_cast<std::size_t>(std::countr_zero(starts));
                   const auto end =
                       start + static_cast<std::size_t>(std::countr_one(live >> start));
                   const std::uint32_t kept = keptOf(end - start);
                   Emit(bytes + at + end - kept, kept, blockStart + at + end);
                   starts &= ~((std::uint64_t{2} << end) - 1);
                 }
                 if (tail < n) {
                   open = at + tail;
                 }
               });

  // The run still open keeps its candidate bytes in text_ for the next block.
  if (open != kNone) {
    const std::size_t here = size - open;
    const std::uint32_t kept = keptOf(std::uint64_t{carried} + here);
    if (kept <= here) {
      std::memcpy(text_, bytes + size - kept, kept);
    } else {
      std::memcpy(text_ + carried, bytes + open, here);
    }
    carried = kept;
  }
  runLength_ = carried;
  position_ += size;
}

void AnsiScanner::Extend(const std::uint8_t* bytes, std::size_t n, std::uint8_t previous) {
  const std::uint32_t maxLength = criteria_.maxLength;
  std::uint32_t runLength = runLength_;
  char* const text = text_;
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
  // The run that reaches the end of the chunk stays open into the next one
  // whatever its length. Runs shorter than minLength inside the chunk can
  // never be kept (drops only make them shorter), so only runs holding
  // minLength admitted bytes in a row are looked at.
  auto [live, starts, tail] = RunsOfChunk(mask, from, n);
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
  if (criteria_.repeatLimit == NoRepeatLimit) {
    ScanWithoutRepeats(block.data(), block.size());
    return;
  }
  ForEachChunk(classes_, block.data(), block.size(), masks_.data(), nullptr,
               [this](const std::uint8_t* p, std::size_t n, std::uint64_t mask,
                      std::uint64_t /*zero*/, std::uint64_t next) {
                 // With no run open, a chunk with only short runs is passed
                 // over. The last chunk of a batch has no known successor and
                 // is looked at whenever it ends in an admitted byte.
                 if (n == kChunk && runLength_ == 0 && PassOver(mask, next)) {
                   previous_ = p[kChunk - 1];
                 } else {
                   ScanChunk(p, n, mask);
                 }
                 position_ += n;
               });
}

void AnsiScanner::Finish() {
  if (runLength_ != 0) {
    EndRun(position_);
  }
  runLength_ = 0;
  repeat_ = 1;
}

}  // namespace quillex
