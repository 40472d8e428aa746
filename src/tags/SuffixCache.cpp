#include "tags/SuffixCache.h"

// Ours
#include "tags/PublicSuffixes.h"

namespace quillex {

bool SuffixCache::IsListedTopLevel(const PublicSuffixes& suffixes, std::string_view label) {
  if (label.empty() || label.size() > kLongest) {
    return suffixes.IsListedTopLevel(label);
  }
  // FNV-1a: the labels are short, and their last bytes differ most.
  std::uint32_t hash = 2166136261u;
  for (const char c : label) {
    hash = (hash ^ static_cast<unsigned char>(c)) * 16777619u;
  }
  Entry& entry = entries_[hash & (kEntries - 1)];
  if (entry.length == label.size() && label == std::string_view(entry.label, entry.length)) {
    return entry.listed;
  }
  entry.listed = suffixes.IsListedTopLevel(label);
  entry.length = static_cast<std::uint8_t>(label.size());
  label.copy(entry.label, label.size());
  return entry.listed;
}

}  // namespace quillex
