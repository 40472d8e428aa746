#include "scan/UnicodeScanner.h"

// Standard library
#include <algorithm>
#include <bit>
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
constexpr std::uint64_t kOddBits = 0xAAAAAAAAAAAAAAAAull;

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

// The number of set bits at j, j + 2, j + 4, ... before the first clear one.
std::size_t ChainLength(std::uint64_t adds, std::size_t j) {
  const auto run = static_cast<std::size_t>(std::countr_one((adds >> j) | kOddBits));
  return run / 2;
}

}  // namespace

void UnicodeScanner::AddCharacter(std::uint8_t c, std::uint64_t offset) {
  if (runLength_ == 0) {
    runStart_ = offset;
  }
  ++runLength_;
  repeat_ = lastCharacter_ == c ? repeat_ + 1 : 1;
  lastCharacter_ = c;
  if (runLength_ > criteria_.maxLength || repeat_ >= criteria_.repeatLimit) [[unlikely]] {
    // The dropping character belongs to no run.
    runLength_ = 0;
    repeat_ = 1;
    return;
  }
  text_[runLength_ - 1] = static_cast<char>(c);
}

void UnicodeScanner::EndRun() {
  if (runLength_ != 0) {
    text_[runLength_] = '\0';
    if (runLength_ >= criteria_.minLength && AcceptMustContain(text_, criteria_)) {
      Keep(runLength_);
    }
  }
  runLength_ = 0;
  repeat_ = 1;
}

std::size_t UnicodeScanner::FollowChain(const std::uint8_t* p, std::size_t n, std::uint64_t adds,
                                        std::size_t j) {
  // Pair k adds the byte before p[k]: p[k - 1], or the byte before the chunk.
  const std::size_t length = ChainLength(adds, j);
  const std::uint64_t base = position_;
  for (std::size_t k = j; k < j + 2 * length; k += 2) {
    AddCharacter(k == 0 ? previous_ : p[k - 1], base + k - 1);
  }
  // After the last character's pair e, pair e + 1 either ends the run (two
  // zero bytes) or changes nothing, and pair e + 2, which adds nothing, then
  // abandons it. Pairs past the chunk are the next bytes' to decide.
  const std::size_t e = j + 2 * (length - 1);
  if (e + 1 >= n) {
    chainOpen_ = true;
    expected_ = 1;
    return n;
  }
  if (p[e + 1] == 0) {
    EndRun();
    return e + 2;
  }
  if (e + 2 >= n) {
    chainOpen_ = true;
    expected_ = 0;
    return n;
  }
  runLength_ = 0;
  repeat_ = 1;
  return e + 3;
}

void UnicodeScanner::ScanChunk(const std::uint8_t* p, std::size_t n, std::uint64_t admitted,
                               std::uint64_t zero) {
  // Pair k of the chunk is (byte k - 1, byte k); it adds a character exactly
  // when byte k - 1 is admitted and byte k is zero. The characters of one
  // run are added at every other pair, and the pairs between them are
  // (0, low byte of the next character): such a chain of adds ends at a
  // UTF-16 NUL, which tests the run, or at a pair that abandons it. So the
  // run's fate is read off the chain, and the pairs in between are never
  // looked at one by one.
  const std::uint64_t adds = zero & ((admitted << 1) | classes_.Flags()[previous_]);
  std::size_t from = 0;
  if (chainOpen_) {
    // The chain from earlier bytes goes on at pair expected_, or ends.
    chainOpen_ = false;
    const std::size_t q = expected_;
    if (q == 1 && p[0] == 0) {
      EndRun();
      from = 1;
    } else if (q == 1 && n == 1) {
      chainOpen_ = true;
      expected_ = 0;
      from = n;
    } else if (((adds >> q) & 1) != 0) {
      from = FollowChain(p, n, adds, q);
    } else {
      runLength_ = 0;
      repeat_ = 1;
      from = q + 1;
    }
  }
  if (!chainOpen_ && from < n) {
    // New chains: a chain shorter than minLength that ends inside the chunk
    // can never be kept (drops only shorten runs), so it is passed over.
    std::uint64_t starts = adds & ~(adds << 2) & (~std::uint64_t{0} << from);
    const std::uint64_t longChains = EveryOtherRunsOf(adds, window_);
    const std::uint64_t nearEnd = n >= 2 ? adds >> (n - 2) : adds;
    if ((longChains | nearEnd) == 0) {
      starts = 0;
    }
    while (starts != 0) {
      const auto j = static_cast<std::size_t>(std::countr_zero(starts));
      const std::size_t length = ChainLength(adds, j);
      const std::size_t e = j + 2 * (length - 1);
      std::size_t next = e + 2;
      if (length >= window_ || e + 2 >= n) {
        // A new chain: no character before its first one to repeat.
        lastCharacter_ = 0;
        next = FollowChain(p, n, adds, j);
        if (chainOpen_) {
          break;
        }
      }
      starts &= next >= kChunk ? 0 : ~std::uint64_t{0} << next;
    }
  }
  previous_ = p[n - 1];
  position_ += n;
}

void UnicodeScanner::Scan(std::span<const std::uint8_t> block) {
  // PERF NOTES: each 64-byte chunk becomes two bit masks (admitted bytes and
  // zero bytes) without a branch, built a block at a time by ByteClassMask;
  // most chunks of binary data then hold no chain of characters long enough
  // to matter and none that reaches the next chunk, which two shifts and a
  // few ANDs tell. Only the characters of chains that can matter are looked
  // at one by one.
  ForEachChunk(
      classes_, block.data(), block.size(), admittedMasks_.data(), zeroMasks_.data(),
      [this](const std::uint8_t* p, std::size_t n, std::uint64_t admitted, std::uint64_t zero,
             std::uint64_t /*next*/) { ScanChunk(p, n, admitted, zero); });
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
  chainOpen_ = false;
}

}  // namespace quillex
