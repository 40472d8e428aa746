#pragma once

// Standard library
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

// Ours
#include "views/FilterTerms.h"
#include "views/LiteralSearch.h"

namespace re2 {
class RE2;
}

namespace quillex {

class ResultStore;

enum class [[nodiscard]] FilterStatus : std::uint8_t{
    Done,        // `shown` holds the shown rows
    Cancelled,   // the cancel flag was seen; `shown` is empty and means nothing
    BadPattern,  // the filter's regular expression did not compile; `shown` is empty
};

struct FilteredRows {
  // The result index of every shown row, in the order of the rows given.
  std::vector<std::uint32_t> shown;
  FilterStatus status = FilterStatus::Done;
};

// How one filtering run goes, apart from what it looks for.
struct FilterRun {
  // The tag set of each result by result index, for terms that want tags.
  // A result past its end has no tags.
  std::span<const TagSet> tagSets;
  // Threads that share the rows, the calling one included; 0 is taken as 1,
  // and no more than the machine has are used.
  unsigned threads = 2;
  // Read between chunks of rows; once true the run stops and is Cancelled.
  const std::atomic<bool>* cancel = nullptr;
  // Results per chunk, rounded up to a multiple of 64; tests make it small to
  // cross many chunk edges.
  std::uint32_t chunkResults = 1u << 16;
};

// A compiled FilterTerms: which rows of the list to show. The same object
// serves the window's filter row and quillex-scan's selection options.
//
//   RowFilter filter(terms);
//   if (!filter.Ok()) { show or print filter.Error(); keep the last good one }
//   FilteredRows rows = filter.Apply(store, rowOrder, run);
//
// A compiled filter is only read while it filters, so one object may serve
// several runs at once. The tags come from a pass that marks each result with
// a TagSet: the terms name the wanted ones, the run hands over the sets.
class RowFilter {
 public:
  explicit RowFilter(FilterTerms terms);
  ~RowFilter();
  RowFilter(RowFilter&&) noexcept;
  RowFilter& operator=(RowFilter&&) noexcept;

  // False when the regular expression did not compile.
  [[nodiscard]] bool Ok() const { return error_.empty(); }
  // RE2's description of what is wrong with the regular expression, as UTF-8
  // (the pattern's bytes in it read as Latin-1); empty when Ok().
  [[nodiscard]] const std::string& Error() const { return error_; }
  [[nodiscard]] const FilterTerms& Terms() const { return terms_; }

  // Whether result `index` of the store is shown: false past the store's
  // end and for a filter that is not Ok(). `tagSets` as in FilterRun.
  [[nodiscard]] bool Shows(const ResultStore& store, std::uint32_t index,
                           std::span<const TagSet> tagSets = {}) const;

  // The rows of `rows` (result indices in display order, such as the list's
  // row order or every result in store order) that the filter shows, in the
  // same order. Indices past the store's end are never shown. The store must
  // not change while this runs. The result keeps 4 bytes per shown row;
  // while it runs, a run also holds a bit per result of the store.
  [[nodiscard]] FilteredRows Apply(const ResultStore& store, std::span<const std::uint32_t> rows,
                                   const FilterRun& run = {}) const;

 private:
  // How the pattern is matched; chosen once when the terms are compiled.
  enum class PatternMode : std::uint8_t { None, Nothing, Literal, Regex };

  void CompilePattern();
  // Picks the literals that let a run skip, with a fast search, the texts
  // the regular expression cannot match.
  void ChooseGates();
  [[nodiscard]] bool PassesNonPattern(const ResultStore& store, std::uint32_t index,
                                      std::span<const TagSet> tagSets) const;
  [[nodiscard]] bool TextMatches(const re2::RE2& regex, const char* text,
                                 std::uint32_t length) const;
  // Sets the bit of every shown result, one bit per result; false when the
  // run was cancelled.
  [[nodiscard]] bool MarkResults(const ResultStore& store, const FilterRun& run,
                                 std::uint32_t chunk, unsigned threads,
                                 std::vector<std::uint64_t>& bits) const;
  // Marks, one bit per result, the results in [first, end) that are shown.
  void MarkChunk(const ResultStore& store, std::span<const TagSet> tagSets, const re2::RE2* regex,
                 std::uint32_t first, std::uint32_t end, std::uint64_t* bits) const;
  [[nodiscard]] std::unique_ptr<re2::RE2> NewRegex() const;

  FilterTerms terms_;
  std::string error_;
  PatternMode mode_ = PatternMode::None;
  std::optional<LiteralSearch> literal_;
  std::unique_ptr<re2::RE2> regex_;
  // Regex: every text the expression matches holds at least one of these;
  // empty when nothing is known.
  std::vector<LiteralSearch> gates_;
};

}  // namespace quillex
