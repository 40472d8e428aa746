#pragma once

// Standard library
#include <string_view>

// Ours
#include "tags/PublicSuffixes.h"
#include "tags/SuffixCache.h"
#include "tags/TagId.h"

namespace quillex {

// Gives a text its indicator tags. Built once (it opens the suffix list) and
// then shared: Tag is const and safe to call from many threads at once, each
// with its own SuffixCache.
//
// Tags read the bytes as they are stored, Windows-1252 for every kind of
// result. A text first has its byte classes summed in one pass; only the
// tags whose needs those classes meet run their exact matchers, so the many
// texts that carry no tag cost little more than that pass.
class Tagger {
 public:
  // The tags of `text`; `cache` belongs to the calling thread.
  [[nodiscard]] TagSet Tag(std::string_view text, SuffixCache& cache) const;
  // The same with a cache made for the call: for one text now and then.
  [[nodiscard]] TagSet Tag(std::string_view text) const;

  [[nodiscard]] const PublicSuffixes& Suffixes() const { return suffixes_; }

 private:
  PublicSuffixes suffixes_;
};

}  // namespace quillex
