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
  // Examines n <= 64 bytes at p that follow those already seen; bit k of
  // `admitted` and `zero` says whether p[k] is admitted or 0, and no bit at
  // or above n is set.
  void ScanChunk(const std::uint8_t* p, std::size_t n, std::uint64_t admitted, std::uint64_t zero);
  // Follows the chain of characters added at pairs j, j + 2, ... of the
  // chunk (pair k is the byte before p[k] with p[k]); returns the pair after
  // which scanning goes on.
  std::size_t FollowChain(const std::uint8_t* p, std::size_t n, std::uint64_t adds, std::size_t j);
  // Adds character c, whose low byte lies at `offset`, to the run.
  void AddCharacter(std::uint8_t c, std::uint64_t offset);
  // Tests the run a UTF-16 NUL has just ended and keeps it.
  void EndRun();
  void Keep(std::uint32_t runLength);

  ByteClassMask classes_;
  // The admitted and zero masks of the whole chunks of the block being
  // examined.
  std::array<std::uint64_t, kMaskBatch> admittedMasks_{};
  std::array<std::uint64_t, kMaskBatch> zeroMasks_{};
  // Characters in a row that a chain inside one chunk needs to be looked at.
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
  // The byte before position_; 0 before the file's start.
  std::uint8_t previous_ = 0;
  // A chain of characters reaches the end of the data seen: its next
  // character must be added at pair expected_ (0 or 1) of the next bytes,
  // and with expected_ == 1 a zero first byte ends the run. The chain can be
  // open while the run is empty, after a drop at its last character.
  bool chainOpen_ = false;
  std::uint8_t expected_ = 0;
  // The chain's last character, which the repeat rule compares with.
  std::uint8_t lastCharacter_ = 0;

  std::uint32_t count_ = 0;
  std::uint64_t textSize_ = 0;
};

}  // namespace quillex
