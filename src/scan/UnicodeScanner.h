#pragma once

#include <array>
#include <cstdint>
#include <span>

#include "filter/CharClassTable.h"
#include "filter/FilterCriteria.h"
#include "scan/ByteClassMask.h"
#include "store/ResultStore.h"

namespace quillex {

// The second pass: UTF-16LE text whose units all have a zero high byte, at
// even and odd offsets alike, stored as the units' low bytes. Every pair of
// adjacent bytes (c, b) is looked at: (admitted c, 0) adds c to the run, two
// zero bytes end it, anything else non-zero in both bytes or a character the
// class table refuses abandons it untested. The last three bytes seen carry
// over from one block to the next, so the blocks may have any size.
//
// The criteria must be normalised (1 <= minLength <= maxLength) and stay
// unchanged while the pass runs.
class UnicodeScanner {
 public:
  // `textBuffer` holds at least criteria.maxLength + 2 bytes.
  UnicodeScanner(const CharClassTable& table, const FilterCriteria& criteria,
                 std::span<char> textBuffer, ResultStore& store);

  // Examines the next bytes of the file, which follow those already seen.
  void Scan(std::span<const std::uint8_t> block);
  // End of the pass: a run still open is kept if it passes the full
  // acceptance test, although no terminator followed it.
  void Finish();

  [[nodiscard]] std::uint32_t Count() const { return count_; }
  [[nodiscard]] std::uint64_t TextSize() const { return textSize_; }
  [[nodiscard]] std::uint64_t Position() const { return position_; }

 private:
  // True unless the chunk whose admitted and zero masks are given, entered
  // with no run open, certainly adds no result and leaves no run open.
  [[nodiscard]] bool MayHoldText(std::uint64_t admitted, std::uint64_t zero) const;
  // The exact walk over every pair of the bytes, which follow those seen.
  void ScanPairs(std::span<const std::uint8_t> block);
  void Keep(std::uint32_t runLength);

  ByteClassMask classes_;
  // The admitted and zero masks of the whole chunks of the block being
  // examined.
  std::array<std::uint64_t, kMaskBatch> admittedMasks_{};
  std::array<std::uint64_t, kMaskBatch> zeroMasks_{};
  // Characters in a row that a run inside one chunk needs to be looked at.
  std::uint32_t window_ = 1;

  const CharClassTable& table_;
  const FilterCriteria& criteria_;
  char* text_;
  ResultStore& store_;

  std::uint64_t position_ = 0;
  std::uint64_t runStart_ = 0;
  // Characters are stored at text_[0 .. runLength_).
  std::uint32_t runLength_ = 0;
  std::uint32_t repeat_ = 1;
  // The three bytes before position_, oldest first; zeros before the file's
  // start, which is what the repeat rule wants for the first characters.
  std::uint8_t history_[3] = {0, 0, 0};

  std::uint32_t count_ = 0;
  std::uint64_t textSize_ = 0;
};

}  // namespace quillex
