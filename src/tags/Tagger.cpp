#include "tags/Tagger.h"

// Standard library
#include <bit>
#include <memory>

// Ours
#include "tags/TagByteClasses.h"
#include "tags/TagTable.h"

namespace quillex {

Tagger::Tagger() : byClasses_(std::size_t{byteclass::kNeedMask} + 1) {
  for (unsigned classes = 0; classes < byClasses_.size(); ++classes) {
    unsigned tags = 0;
    for (const TagInfo& tag : TagTable()) {
      const bool meets =
          (classes & tag.needs) == tag.needs ||
          (tag.otherwiseNeeds != 0 && (classes & tag.otherwiseNeeds) == tag.otherwiseNeeds);
      tags |= meets ? TagBit(tag.id) : 0u;
    }
    byClasses_[classes] = static_cast<TagSet>(tags);
  }
  for (std::size_t n = 0; n < kLongEnough; ++n) {
    unsigned length = 0;
    unsigned run = 0;
    for (const TagInfo& tag : TagTable()) {
      length |= n >= tag.shortest ? TagBit(tag.id) : 0u;
      run |= n >= tag.longestRun ? TagBit(tag.id) : 0u;
    }
    byLength_[n] = static_cast<TagSet>(length);
    byRun_[n] = static_cast<TagSet>(run);
  }
}

TagSet Tagger::Tag(std::string_view text, SuffixCache& cache) const {
  unsigned candidates = byClasses_[SummarizeBytes(text) & byteclass::kNeedMask];
  if (text.size() < kLongEnough) {
    candidates &= byLength_[text.size()];
  }
  // The run is counted only where a tag that needs one is still in play.
  if ((candidates & ~unsigned{byRun_[0]}) != 0) {
    const std::size_t run = LongestBase64Run(text);
    if (run < kLongEnough) {
      candidates &= byRun_[run];
    }
  }
  MatchContext context{suffixes_, cache};
  unsigned tags = 0;
  for (; candidates != 0; candidates &= candidates - 1) {
    const TagInfo& tag = TagTable()[static_cast<std::size_t>(std::countr_zero(candidates))];
    tags |= tag.matcher(text, context) ? TagBit(tag.id) : 0u;
  }
  return static_cast<TagSet>(tags);
}

TagSet Tagger::Tag(std::string_view text) const {
  const auto cache = std::make_unique<SuffixCache>();
  return Tag(text, *cache);
}

}  // namespace quillex
