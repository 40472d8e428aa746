#include "scan/UnicodeScanner.h"

// Standard library
#include <algorithm>
#include <cstddef>
#include <cstring>

// Ours
#include "scan/ByteClassMask.h"

namespace quillex {

UnicodeScanner::UnicodeScanner(const CharClassTable& table, const FilterCriteria& criteria,
                               std::span<char> textBuffer, ResultStore& store)
    : classes_(table), table_(table), criteria_(criteria), text_(textBuffer.data()), store_(store) {
  // A run of w characters spans 2w - 1 pairs, and a chunk has 64.
  window_ = std::min<std::uint32_t>(std::max<std::uint32_t>(criteria.minLength, 1), 32);
}

void UnicodeScanner::Keep(std::uint32_t runLength) {
  textSize_ += runLength;
  ++count_;
  store_.AddResult(static_cast<std::uint32_t>(runStart_),
                   static_cast<std::uint32_t>(runStart_ >> 32), 0, text_, runLength,
                   StringKind::Unicode);
}

namespace {

constexpr std::size_t kChunk = kMaskBytes;

// Bit s set where bits s, s + 2, ..., s + 2 (width - 1) are all set.
std::uint64_t EveryOtherRunsOf(std::uint64_t mask, std::uint32_t width) {
  std::uint32_t have = 1;
  while (have < width) {
    const std::uint32_t shift = std::min(have, width - have);
    mask &= mask >> (2 * shift);
    have += shift;
  }
  return mask;
}

}  // namespace

void UnicodeScanner::Scan(std::span<const std::uint8_t> block) {
  // PERF NOTES: most 64-byte chunks of binary data hold no text worth a
  // look, and that can be told from two bit masks without walking the pairs
  // one by one. Pair k of a chunk is (byte k - 1, byte k); it adds a character
  // exactly when byte k - 1 is admitted and byte k is zero, and the characters
  // of one run are added at every other pair. A chunk entered with no run
  // open can be passed over when no run of minLength characters lies in it
  // (shorter runs are never kept, drops only shorten them) and no run is still
  // open at its end. Any other chunk, and the partial chunk at the end of a
  // block, goes through the exact pair-by-pair walk.
  const std::uint8_t* data = block.data();
  std::size_t size = block.size();
  while (size >= kChunk) {
    const std::size_t chunks = std::min(size / kChunk, kMaskBatch);
    classes_.Fill(data, chunks, admittedMasks_.data(), zeroMasks_.data());
    for (std::size_t i = 0; i < chunks; ++i) {
      if (runLength_ == 0 && !MayHoldText(admittedMasks_[i], zeroMasks_[i])) {
        history_[0] = data[kChunk - 3];
        history_[1] = data[kChunk - 2];
        history_[2] = data[kChunk - 1];
        position_ += kChunk;
      } else {
        ScanPairs(std::span<const std::uint8_t>(data, kChunk));
      }
      data += kChunk;
    }
    size -= chunks * kChunk;
  }
  if (size != 0) {
    ScanPairs(std::span<const std::uint8_t>(data, size));
  }
}

bool UnicodeScanner::MayHoldText(std::uint64_t admitted, std::uint64_t zero) const {
  const std::uint64_t admittedBefore = (admitted << 1) | classes_.Flags()[history_[2]];
  const std::uint64_t adds = admittedBefore & zero;
  // Still open at the end: a character added at the last pair, or at the one
  // before it when the last byte is not zero (that pair changes nothing).
  const bool openAtEnd = ((adds >> 63) | ((adds >> 62) & ~(zero >> 63))) & 1;
  return openAtEnd || EveryOtherRunsOf(adds, window_) != 0;
}

void UnicodeScanner::ScanPairs(std::span<const std::uint8_t> block) {
  // PERF NOTES: c, the byte before the current one, lives in a register. While
  // no run is open only one pair matters, (admitted c, 0), so the skip loop
  // tests each byte against zero and looks up the table only at zero bytes.
  // The two bytes before c are read back from the block when the repeat rule
  // needs them; only the first three bytes of a block reach into history_.
  const std::uint8_t* const flags = table_.Data();
  const std::uint8_t* const data = block.data();
  const std::size_t size = block.size();
  const std::uint32_t maxLength = criteria_.maxLength;
  const std::uint32_t repeatLimit = criteria_.repeatLimit;
  char* const text = text_;
  const std::uint8_t* const history = history_;

  // The byte `back` places before data[i], reaching into the previous blocks.
  auto before = [data, history](std::size_t i, std::size_t back) -> std::uint8_t {
    return i >= back ? data[i - back] : history[3 - (back - i)];
  };

  std::uint32_t runLength = runLength_;
  std::uint32_t repeat = repeat_;
  std::uint8_t c = history_[2];
  std::size_t i = 0;

  while (i < size) {
    if (runLength == 0) {
      // Eight bytes at a time: with no run open only a zero byte after an
      // admitted one matters, so a word without zero bytes is passed over,
      // and so is a word of zeros that follows a zero byte.
      while (i + 8 <= size) {
        std::uint64_t word;
        std::memcpy(&word, data + i, sizeof word);
        const bool hasZero = ((word - 0x0101010101010101ull) & ~word & 0x8080808080808080ull) != 0;
        if (hasZero && (word != 0 || c != 0)) {
          break;
        }
        c = data[i + 7];
        i += 8;
      }
      while (i < size) {
        const std::uint8_t b = data[i];
        if (b == 0 && flags[c] != 0) {
          break;
        }
        c = b;
        ++i;
      }
      if (i == size) {
        break;
      }
    }
    for (; i < size; ++i) {
      const std::uint8_t b = data[i];
      if (b != 0) {
        if (c != 0) {
          // A unit with a non-zero high byte, or two text bytes in a row.
          runLength = 0;
          repeat = 1;
          c = b;
          ++i;
          break;
        }
        c = b;
        continue;
      }
      if (c == 0) {
        // Two zero bytes: the terminator of a UTF-16 string.
        if (runLength != 0) {
          text[runLength] = '\0';
          if (runLength >= criteria_.minLength && AcceptMustContain(text, criteria_)) {
            Keep(runLength);
          }
        }
        runLength = 0;
        repeat = 1;
        ++i;
        break;
      }
      if (flags[c] == 0) [[unlikely]] {
        // A character the class table refuses.
        runLength = 0;
        repeat = 1;
        c = b;
        ++i;
        break;
      }
      // The character c, whose low byte lies just before b.
      if (runLength == 0) {
        runStart_ = position_ + i - 1;
      }
      ++runLength;
      repeat = (before(i, 3) == c && before(i, 2) == 0) ? repeat + 1 : 1;
      if (runLength > maxLength || repeat >= repeatLimit) [[unlikely]] {
        // The dropping character belongs to no run.
        runLength = 0;
        repeat = 1;
        c = b;
        ++i;
        break;
      }
      text[runLength - 1] = static_cast<char>(c);
      c = b;
    }
  }

  const std::uint8_t last[3] = {before(size, 3), before(size, 2), before(size, 1)};
  history_[0] = last[0];
  history_[1] = last[1];
  history_[2] = last[2];
  position_ += size;
  runLength_ = runLength;
  repeat_ = repeat;
}

void UnicodeScanner::Finish() {
  if (runLength_ != 0) {
    text_[runLength_] = '\0';
    if (AcceptString(text_, table_, criteria_)) {
      Keep(runLength_);
    }
  }
  runLength_ = 0;
  repeat_ = 1;
}

}  // namespace quillex
