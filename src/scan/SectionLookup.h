#pragma once

// Standard library
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace quillex {

struct SectionRecord;

// Which section's raw data holds a file position, without a walk over the
// section table: where ranges overlap or nest, the section that comes first
// in the table owns the shared bytes, exactly as a search of the table in its
// order would find it. Sections whose raw end is not above their raw start
// (empty, or wrapped past 2^32) hold no position.
//
// The ranges' starts and ends cut the file into elementary pieces, each owned
// by one section or by none; the lookup keeps the first position of every run
// of pieces with the same owner, sorted, and finds a position's piece by a
// binary search. A table of n sections makes at most 2n + 1 entries of eight
// bytes, about 1 MiB for the largest table a PE image can state.
class SectionLookup {
 public:
  // Replaces the lookup with one for `records`, in table order. Throws
  // std::bad_alloc when its memory cannot be had; the lookup is then empty.
  void Build(std::span<const SectionRecord> records);
  void Clear();

  // The table index of the first section with rawStart <= filePosition <
  // rawEnd, or nothing when no section holds the position.
  [[nodiscard]] std::optional<std::uint32_t> Find(std::uint64_t filePosition) const;

  // The number of sorted entries; at most twice the number of sections, plus one.
  [[nodiscard]] std::size_t EntryCount() const { return starts_.size(); }

 private:
  // starts_[k] is the first file position of entry k, which reaches up to the
  // next entry's start (the last one to the end of every file); owners_[k] is
  // its section's table index, or kNoSection.
  std::vector<std::uint32_t> starts_;
  std::vector<std::uint32_t> owners_;
};

}  // namespace quillex
