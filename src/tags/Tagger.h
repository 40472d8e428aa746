#pragma once

// Standard library
#include <array>
#include <cstddef>
#include <string_view>
#include <vector>

// Ours
#include "tags/PublicSuffixes.h"
#include "tags/SuffixCache.h"
#include "tags/TagId.h"

namespace quillex {

// Gives a text its indicator tags. Built once (it opens the suffix list and
// lays out its prefilter) and then shared: Tag is const and safe to call from
// many threads at once, each with its own SuffixCache.
//
// Tags read the bytes as they are stored, Windows-1252 for every kind of
// result. A text first has its bytes summed in one pass (their classes and
// the longest run of base64 characters); a table lookup turns that into the
// tags whose needs are met, and only their exact matchers run. The many texts
// that carry no tag cost little more than that pass.
class Tagger {
 public:
  Tagger();

  // The tags of `text`; `cache` belongs to the calling thread.
  [[nodiscard]] TagSet Tag(std::string_view text, SuffixCache& cache) const;
  // The same with a cache made for the call: for one text now and then.
  [[nodiscard]] TagSet Tag(std::string_view text) const;

  [[nodiscard]] const PublicSuffixes& Suffixes() const { return suffixes_; }

 private:
  // Lengths from this on meet every tag's length and run needs.
  static constexpr std::size_t kLongEnough = 64;

  PublicSuffixes suffixes_;
  // The tags whose byte-class needs a set of classes meets, by the set.
  std::vector<TagSet> byClasses_;
  // The tags a text of this length, and one with a run this long, may carry.
  std::array<TagSet, kLongEnough> byLength_{};
  std::array<TagSet, kLongEnough> byRun_{};
};

}  // namespace quillex
