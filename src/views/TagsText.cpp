#include "views/TagsText.h"

// Standard library
#include <algorithm>
#include <numeric>
#include <vector>

// Ours
#include "views/CaseFold.h"
#include "views/RecordRow.h"

namespace quillex {

namespace {

constexpr std::uint32_t kSetCount = 1u << kTagCount;
constexpr TagSet kKnownTags = static_cast<TagSet>(kSetCount - 1);

// PERF: the texts are folded once, so that the sort compares plain bytes
// (the folded bytes compared unsigned, a prefix first, as the list sorts).
std::vector<std::uint16_t> BuildRanks() {
  std::vector<std::string> texts(kSetCount);
  for (std::uint32_t set = 0; set < kSetCount; ++set) {
    texts[set] = TagsText(static_cast<TagSet>(set));
    for (char& c : texts[set]) {
      c = static_cast<char>(FoldAscii(c));
    }
  }
  std::vector<std::uint32_t> byText(kSetCount);
  std::iota(byText.begin(), byText.end(), 0u);
  std::sort(byText.begin(), byText.end(),
            [&](std::uint32_t a, std::uint32_t b) { return texts[a] < texts[b]; });
  std::vector<std::uint16_t> ranks(kSetCount, 0);
  std::uint16_t rank = 0;
  for (std::size_t k = 1; k < byText.size(); ++k) {
    // The empty text sorts first and keeps place 0.
    if (texts[byText[k - 1]] != texts[byText[k]]) {
      ++rank;
    }
    ranks[byText[k]] = rank;
  }
  return ranks;
}

}  // namespace

std::string TagsText(TagSet tags) {
  std::string text;
  AppendTagNames(text, tags, ", ");
  return text;
}

std::span<const std::uint16_t> TagsTextRanks() {
  static const std::vector<std::uint16_t> ranks = BuildRanks();
  return ranks;
}

std::uint16_t TagsTextRank(TagSet tags) {
  return TagsTextRanks()[tags & kKnownTags];
}

}  // namespace quillex
