#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

#include "filter/CharClassTable.h"
#include "filter/FilterCriteria.h"
#include "scan/ByteClassMask.h"
#include "store/ResultStore.h"

namespace quillex {

// The first pass: runs of bytes the class table admits, fed block by block.
// A run, the repeat count and the previous byte carry over from one block to
// the next, so the blocks may have any size and a string crossing a block
// edge is found as one string at the offset of its first byte.
//
// The criteria must be normalised (1 <= minLength <= maxLength) and stay
// unchanged while the pass runs.
class AnsiScanner {
 public:
  // `textBuffer` holds at least criteria.maxLength + 2 bytes; the scanner
  // builds each candidate there and hands it to the store.
  AnsiScanner(const CharClassTable& table, const FilterCriteria& criteria,
              std::span<char> textBuffer, ResultStore& store);

  // Examines the next bytes of the file, which follow those already seen.
  void Scan(std::span<const std::uint8_t> block);
  // End of the pass: tests and keeps the run still open at the end of the data.
  void Finish();

  // Accepted strings and the sum of their lengths so far.
  [[nodiscard]] std::uint32_t Count() const { return count_; }
  [[nodiscard]] std::uint64_t TextSize() const { return textSize_; }
  // Offset of the next byte, i.e. the number of bytes examined.
  [[nodiscard]] std::uint64_t Position() const { return position_; }

 private:
  // Examines n <= 64 bytes that follow those already seen; bit k of `mask`
  // is set where p[k] is admitted, and no bit at or above n is set.
  void ScanChunk(const std::uint8_t* p, std::size_t n, std::uint64_t mask);
  // The whole of Scan when the repeat rule is off.
  void ScanWithoutRepeats(const std::uint8_t* data, std::size_t size);
  // Tests the candidate of `length` bytes at `text` (not NUL-terminated; it
  // may lie in the block) that ends before offset `end`, and keeps it.
  void Emit(const char* text, std::uint32_t length, std::uint64_t end);
  // Feeds n admitted bytes in a row to the open run (a new one if none is
  // open); `previous` is the byte just before the first of them.
  void Extend(const std::uint8_t* bytes, std::size_t n, std::uint8_t previous);
  // Whether a full chunk with mask `mask`, followed by one with mask `next`,
  // can be passed over when no run is open: it holds no run that could be
  // kept, and its last run cannot become one with the next chunk's bytes.
  [[nodiscard]] bool PassOver(std::uint64_t mask, std::uint64_t next) const;
  // Bit s set where window_ admitted bytes in a row start at bit s.
  [[nodiscard]] std::uint64_t RunsOfWindow(std::uint64_t mask) const;
  // The runs of a chunk of n bytes with admitted-byte mask `mask`, bytes
  // before `from` left out: `live` is the mask without them, bit s of
  // `starts` is set where a run that ends inside the chunk and holds at least
  // window_ bytes begins, and the run that reaches the chunk's end (if any)
  // begins at `tail`, so that tail == n when the last byte is refused.
  struct ChunkRuns {
    std::uint64_t live;
    std::uint64_t starts;
    std::size_t tail;
  };
  [[nodiscard]] ChunkRuns RunsOfChunk(std::uint64_t mask, std::size_t from, std::size_t n) const;
  // Tests and keeps the open run, which ends before offset `end`, and starts
  // a new one.
  void EndRun(std::uint64_t end);

  ByteClassMask classes_;
  // The admitted masks of the whole chunks of the block being examined.
  std::array<std::uint64_t, kMaskBatch> masks_{};
  // Admitted bytes in a row that a run inside one chunk needs to be looked at.
  std::uint32_t window_ = 1;
  // The shifts that RunsOfWindow ANDs the mask with.
  std::array<std::uint8_t, 8> steps_{};
  std::uint32_t stepCount_ = 0;
  const FilterCriteria& criteria_;
  char* text_;
  ResultStore& store_;

  std::uint64_t position_ = 0;
  // The run's bytes are stored at text_[0 .. runLength_), so the run length is
  // also the write position.
  std::uint32_t runLength_ = 0;
  std::uint32_t repeat_ = 1;
  std::uint8_t previous_ = 0;

  std::uint32_t count_ = 0;
  std::uint64_t textSize_ = 0;
};

}  // namespace quillex
