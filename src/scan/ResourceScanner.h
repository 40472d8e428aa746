#pragma once

#include <cstdint>
#include <span>

#include "filter/CharClassTable.h"
#include "filter/FilterCriteria.h"
#include "scan/ScanHost.h"
#include "scan/SectionMap.h"
#include "store/ResultStore.h"

namespace quillex {

class InputFile;

// The third pass: the string tables (resource type 6) of every ".rsrc"
// section, with their resource IDs, and the names of named resource types.
// Each section is read whole and its directory tree walked in memory, depth
// first in stored order. Nothing read is trusted: a read outside the section's
// bytes, a loop in the tree, or a tree deeper or larger than any real one
// ends that section's walk with one warning to the host; the results found
// before it stay and the pass goes on with the next section.
class ResourceScanner {
 public:
  // Directory depth the walk follows; real trees have three levels.
  static constexpr std::uint32_t kMaxDepth = 64;
  // Directory visits allowed per section at the least; larger sections get
  // one per 16 bytes, the size of a directory header, so no tree whose
  // directories are not shared can reach the bound.
  static constexpr std::uint64_t kMinDirectoryVisits = 65536;
  // Bytes the walk may read per section: four times the section plus this.
  // A tree without shared parts reads each byte at most once; shared
  // subdirectories or string blocks that would multiply this are cut off,
  // which bounds both the time and the results one section can produce.
  static constexpr std::uint64_t kReadBudgetMargin = std::uint64_t{1} << 22;

  // `textBuffer` holds at least criteria.maxLength + 2 bytes.
  ResourceScanner(const CharClassTable& table, const FilterCriteria& criteria,
                  std::span<char> textBuffer, ResultStore& store, ScanHost& host);

  // The whole pass: shows the count 0, then reads and walks each ".rsrc"
  // section of the map in table order through the open file.
  void Run(InputFile& file, const SectionMap& map);

  // Walks one section whose bytes, read from its raw start, are `bytes`
  // (possibly fewer than the section's size). Returns false when the data was
  // damaged; the host has then been warned once.
  bool WalkSection(std::span<const std::uint8_t> bytes, const SectionRecord& record);

  // The count the cell shows: strings admitted in the last section walked.
  [[nodiscard]] std::uint32_t Count() const { return count_; }
  [[nodiscard]] std::uint32_t DamagedSections() const { return damaged_; }

 private:
  bool Walk(std::span<const std::uint8_t> bytes, const SectionRecord& record);

  const CharClassTable& table_;
  const FilterCriteria& criteria_;
  std::span<char> text_;
  ResultStore& store_;
  ScanHost& host_;

  std::uint32_t count_ = 0;
  std::uint32_t damaged_ = 0;
};

}  // namespace quillex
