#pragma once

#include <cstddef>
#include <cstdint>
#include <limits>
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
// before it stay and the pass goes on with the next section. Work beyond what
// the file's size allows (PassBudget) ends the whole pass in the same way.
class ResourceScanner {
 public:
  static constexpr std::uint64_t kUnbounded = std::numeric_limits<std::uint64_t>::max();
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
  // What the whole pass may spend, worked out from the size of the file. The
  // bounds above hold for each section on its own, but a section table may
  // list one small section tens of thousands of times, each header costing
  // the walk its own bounds again; these bound all the walks together, so
  // that the pass costs no more than the file's size allows however often
  // its table repeats itself. Past any of them the pass ends with the
  // damaged-resources warning, keeping what it found.
  //
  // Real images stay far inside them. A real image reads each resource
  // section from the file once and walks each of its bytes at most once, at
  // most twice the file's size against five times; each of its directories
  // has 16 bytes of the file to itself, and each of its results at least 4
  // (a count and one character). The minimums equal the per-section visit
  // bound, so that a small file's sections keep their own bounds. A file with
  // one resource section meets the byte and visit bounds only where its
  // section's own bounds cut it (its read, N bytes, and its walk's 4 N + 4 MiB
  // fit in five times the file plus 4 MiB); only the cap on results is new to
  // it. At worst the walks read five times the file in memory and keep at
  // most one byte of text per two bytes read: a table of 65,535 headers
  // (2.6 MB) over one section costs the pass at most 17 MB of reading,
  // 164,000 directories and 656,000 rows.
  struct PassBudget {
    // Bytes read from the file into section buffers plus bytes the walks
    // read in those buffers: five times the file's size plus 4 MiB.
    std::uint64_t bytes = kUnbounded;
    // Directories opened: one per 16 bytes of the file, at least 65,536.
    std::uint64_t visits = kUnbounded;
    // Results stored: one per 4 bytes of the file, at least 65,536.
    std::uint64_t results = kUnbounded;

    [[nodiscard]] static PassBudget ForFile(std::uint64_t fileSize);
    bool operator==(const PassBudget&) const = default;
  };
  static constexpr std::uint64_t kPassBytesPerFileByte = 5;
  static constexpr std::uint64_t kFileBytesPerVisit = 16;
  static constexpr std::uint64_t kFileBytesPerResult = 4;
  static constexpr std::uint64_t kMinPassVisits = 65536;
  static constexpr std::uint64_t kMinPassResults = 65536;

  // The pass consults the host's pump before this many section bytes have
  // been read (from the file or by the walk) or this many directory entries
  // walked since it last did, so a long pass never starves the window.
  static constexpr std::uint64_t kPumpBytes = 16384;
  static constexpr std::uint32_t kPumpEntries = 1024;

  // What a stop reported by the pump does. A stop requested before the pass
  // began (during the byte passes) leaves it to run whole; one requested
  // while it runs ends it at that point.
  enum class StopRule { EndAtStop, RunWhole };

  // `textBuffer` holds at least criteria.maxLength + 2 bytes.
  ResourceScanner(const CharClassTable& table, const FilterCriteria& criteria,
                  std::span<char> textBuffer, ResultStore& store, ScanHost& host);

  // The whole pass: shows the count 0, then reads and walks each ".rsrc"
  // section of the map in table order through the open file, within the
  // budget for the file's size. Sections that cover the same file range as
  // one read before are not read again. Every header is walked, also one
  // that repeats an earlier one: reusing the earlier walk's rows would save
  // much time only where the budget already ends the pass early, and would need a
  // second path to give the same rows, warnings, counts, pump calls and
  // stopping place as the walk.
  void Run(InputFile& file, const SectionMap& map, StopRule rule = StopRule::EndAtStop);

  // Walks one section whose bytes, read from its raw start, are `bytes`
  // (possibly fewer than the section's size), spending from what is left of
  // the pass's budget (no bound but the section's own before Run). Returns
  // false when the data was damaged or the budget ran out; the host has then
  // been warned once. A walk ended by a stop is not damaged: it returns true
  // and Stopped() tells.
  bool WalkSection(std::span<const std::uint8_t> bytes, const SectionRecord& record);

  // The count the cell shows: strings admitted in the last section walked.
  [[nodiscard]] std::uint32_t Count() const { return count_; }
  [[nodiscard]] std::uint32_t DamagedSections() const { return damaged_; }
  // A stop ended the pass early; the results found before it stay.
  [[nodiscard]] bool Stopped() const { return stopped_; }
  // The pass's budget ran out and ended it; the results found before stay.
  [[nodiscard]] bool BudgetSpent() const { return budgetSpent_; }
  // What is left of the pass's budget.
  [[nodiscard]] const PassBudget& BudgetLeft() const { return left_; }

 private:
  struct WalkState;
  enum class Step { Done, Damaged, Stopped };

  Step Walk(std::span<const std::uint8_t> bytes, const SectionRecord& record);
  // The steps of the walk; each returns false when the data is damaged.
  bool OpenDirectory(WalkState& walk, std::uint32_t offset, std::uint32_t depth, std::uint16_t type,
                     std::uint16_t block);
  bool AddTypeName(WalkState& walk, std::uint32_t name);
  Step ReadStringBlock(WalkState& walk, std::uint32_t dataEntry, std::uint16_t block);
  // Tests the text buffer and stores it as a result when it is admitted.
  // False when the pass may store no more results.
  bool Accept(std::uint64_t position, std::uint16_t id);
  // Ends a section's walk: warns when it was damaged or over budget, and
  // tells whether it was whole.
  bool Finish(Step step);

  // Reads `size` bytes of the section at `start` in pieces, pumping between
  // them; `got` is what was read. False when a stop ended the read.
  bool ReadSection(InputFile& file, std::uint32_t start, std::uint8_t* buffer, std::size_t size,
                   std::size_t& got);
  // Consults the pump when the work done since it was last consulted, plus
  // the `upcoming` bytes the next step may read, would pass the bounds, so
  // that no more than kPumpBytes are ever read between two calls. False when
  // the pass must end.
  bool PumpWhenDue(std::uint64_t upcoming);
  // The most the walk reads from one check of the pump to the next.
  [[nodiscard]] std::uint64_t MostReadPerStep() const;

  const CharClassTable& table_;
  const FilterCriteria& criteria_;
  std::span<char> text_;
  ResultStore& store_;
  ScanHost& host_;

  std::uint32_t count_ = 0;
  std::uint32_t damaged_ = 0;
  StopRule rule_ = StopRule::EndAtStop;
  bool stopped_ = false;
  PassBudget left_;
  bool budgetSpent_ = false;
  std::uint64_t bytesSincePump_ = 0;
  std::uint32_t entriesSincePump_ = 0;
};

}  // namespace quillex
