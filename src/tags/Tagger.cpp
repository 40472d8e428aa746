#include "tags/Tagger.h"

// Standard library
#include <memory>

// Ours
#include "tags/TagByteClasses.h"
#include "tags/TagTable.h"

namespace quillex {

TagSet Tagger::Tag(std::string_view text, SuffixCache& cache) const {
  const unsigned classes = SummarizeBytes(text);
  MatchContext context{suffixes_, cache};
  unsigned tags = 0;
  for (const TagInfo& tag : TagTable()) {
    if (text.size() < tag.shortest || (classes & tag.needsAll) != tag.needsAll ||
        (tag.needsAny != 0 && (classes & tag.needsAny) == 0)) {
      continue;
    }
    if (tag.matcher(text, context)) {
      tags |= TagBit(tag.id);
    }
  }
  return static_cast<TagSet>(tags);
}

TagSet Tagger::Tag(std::string_view text) const {
  const auto cache = std::make_unique<SuffixCache>();
  return Tag(text, *cache);
}

}  // namespace quillex
