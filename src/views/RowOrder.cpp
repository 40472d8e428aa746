#include "views/RowOrder.h"

// Standard library
#include <algorithm>
#include <optional>
#include <span>
#include <vector>

// Ours
#include "scan/SectionMap.h"
#include "store/ResultStore.h"
#include "views/CaseFold.h"
#include "views/FormatColumn.h"
#include "views/TagsText.h"

namespace quillex {

namespace {

// Compares two NUL-terminated texts: the first differing folded byte decides
// (unsigned), and a text that ends first is the smaller.
int CompareFolded(const char* a, const char* b) {
  for (;; ++a, ++b) {
    const int ca = FoldAscii(*a);
    const int cb = FoldAscii(*b);
    if (ca != cb) {
      return ca - cb;
    }
    if (ca == 0) {
      return 0;
    }
  }
}

// Folded bytes packed big-endian and padded with zeros. For texts without NUL
// bytes, comparing two such numbers is comparing their first eight bytes: the
// first differing byte decides, and the padding (0) sorts a prefix first.
std::uint64_t PackFolded(const char* text) {
  std::uint64_t key = 0;
  bool ended = false;
  for (int i = 0; i < 8; ++i) {
    key <<= 8;
    if (!ended && text[i] != '\0') {
      key |= FoldAscii(text[i]);
    } else {
      ended = true;
    }
  }
  return key;
}

// A row's sort key: a number whose order is the column's order (the ID
// itself; for Text, the order of its first eight bytes), and the row it came
// from.
struct RowKey {
  std::uint64_t key;
  std::uint32_t oldRow;
};

// Runs `body(first, last)` over [0, n) in blocks of kRowsBetweenCancelChecks
// rows, looking at the flag before each block. False when it was raised.
template <class Body>
bool ForEachBlock(std::size_t n, const CancelFlag* cancel, Body body) {
  for (std::size_t first = 0; first < n; first += kRowsBetweenCancelChecks) {
    if (IsCancelled(cancel)) {
      return false;
    }
    body(first, std::min(n, first + kRowsBetweenCancelChecks));
  }
  return !IsCancelled(cancel);
}

// Sorts by the 64-bit keys, keeping equal keys in their order: a least
// significant digit radix sort with 16-bit digits. False when cancelled.
// PERF: one counting pass finds the digits where keys differ at all; IDs and
// the high digits of positions are often constant, so a million rows take one
// to three scatter passes instead of the n log n comparisons of a comparison
// sort. Descending order sorts the complemented digits, which keeps ties
// stable as well. The flag is read once per block of rows, outside the loops
// that count and scatter.
bool RadixSortStable(std::vector<RowKey>& keys, bool descending, const CancelFlag* cancel) {
  constexpr int kDigits = 4;
  constexpr std::size_t kBuckets = 65536;
  if (keys.size() < 2) {
    return true;
  }
  const auto digitOf = [descending](const RowKey& key, int digit) {
    const auto value = static_cast<std::uint16_t>(key.key >> (16 * digit));
    return static_cast<std::size_t>(descending ? 0xFFFFu - value : value);
  };
  std::vector<std::size_t> counts(kDigits * kBuckets, 0);
  // The loops take what they use by value: through references the compiler
  // would read the digit and the arrays' starts again after every store.
  const bool counted = ForEachBlock(
      keys.size(), cancel,
      [from = keys.data(), to = counts.data(), digitOf](std::size_t first, std::size_t last) {
        for (std::size_t i = first; i < last; ++i) {
          for (int digit = 0; digit < kDigits; ++digit) {
            ++to[static_cast<std::size_t>(digit) * kBuckets + digitOf(from[i], digit)];
          }
        }
      });
  if (!counted) {
    return false;
  }
  std::vector<RowKey> scratch(keys.size());
  for (int digit = 0; digit < kDigits; ++digit) {
    std::size_t* count = counts.data() + static_cast<std::size_t>(digit) * kBuckets;
    if (count[digitOf(keys.front(), digit)] == keys.size()) {
      continue;  // every key has the same digit here
    }
    std::size_t offset = 0;
    for (std::size_t bucket = 0; bucket < kBuckets; ++bucket) {
      const std::size_t size = count[bucket];
      count[bucket] = offset;
      offset += size;
    }
    const bool scattered = ForEachBlock(keys.size(), cancel,
                                        [from = keys.data(), to = scratch.data(), count, digit,
                                         digitOf](std::size_t first, std::size_t last) {
                                          for (std::size_t i = first; i < last; ++i) {
                                            to[count[digitOf(from[i], digit)]++] = from[i];
                                          }
                                        });
    if (!scattered) {
      return false;
    }
    keys.swap(scratch);
  }
  return true;
}

// Runs of tied keys up to this size are sorted in one go; longer ones by
// MergeSortStable, which can be cancelled.
constexpr std::size_t kShortRun = 4096;

// A stable merge sort of a long run that reads the flag between its passes
// and between merges. False when cancelled (the run is then in any order).
// Insertion sorts make runs of 32 first; each pass then merges neighbours
// into a buffer and back, taking the left one's key first on a tie.
template <class Less>
bool MergeSortStable(std::span<RowKey> keys, Less less, const CancelFlag* cancel) {
  constexpr std::size_t kFirstWidth = 32;
  const std::size_t n = keys.size();
  for (std::size_t first = 0; first < n; first += kFirstWidth) {
    const auto begin = keys.begin() + static_cast<std::ptrdiff_t>(first);
    const auto end = keys.begin() + static_cast<std::ptrdiff_t>(std::min(n, first + kFirstWidth));
    for (auto i = begin + 1; i < end; ++i) {
      const RowKey key = *i;
      auto j = i;
      for (; j > begin && less(key, *(j - 1)); --j) {
        *j = *(j - 1);
      }
      *j = key;
    }
  }
  std::vector<RowKey> buffer(n);
  std::span<RowKey> from = keys;
  std::span<RowKey> to = buffer;
  for (std::size_t width = kFirstWidth; width < n; width *= 2) {
    for (std::size_t left = 0; left < n; left += 2 * width) {
      if (IsCancelled(cancel)) {
        return false;
      }
      const auto at = [&](std::span<RowKey> side, std::size_t i) {
        return side.begin() + static_cast<std::ptrdiff_t>(std::min(n, i));
      };
      std::merge(at(from, left), at(from, left + width), at(from, left + width),
                 at(from, left + 2 * width), at(to, left), less);
    }
    std::swap(from, to);
  }
  if (from.data() != keys.data()) {
    std::copy(from.begin(), from.end(), keys.begin());
  }
  return true;
}

template <class Less>
bool SortRun(std::span<RowKey> run, Less less, const CancelFlag* cancel) {
  if (run.size() <= kShortRun) {
    std::stable_sort(run.begin(), run.end(), less);
    return true;
  }
  return MergeSortStable(run, less, cancel);
}

// The text a row sorts by; a result past the end has the empty text, as
// FormatColumn gives it.
const char* SortText(const ResultStore& store, std::uint32_t result) {
  const char* text = store.Text(result);
  return text != nullptr ? text : "";
}

// Text keys hold the first eight folded bytes; rows whose keys are equal and
// whose texts go on past those bytes are put in order by the rest. False
// when cancelled.
bool SortTextTies(const ResultStore& store, std::span<const std::uint32_t> rows,
                  std::vector<RowKey>& keys, bool descending, const CancelFlag* cancel) {
  const auto restOf = [&](const RowKey& key) { return SortText(store, rows[key.oldRow]) + 8; };
  std::size_t sinceCheck = 0;
  for (std::size_t first = 0; first < keys.size();) {
    std::size_t last = first + 1;
    while (last < keys.size() && keys[last].key == keys[first].key) {
      ++last;
    }
    sinceCheck += last - first;
    if (sinceCheck >= kRowsBetweenCancelChecks) {
      if (IsCancelled(cancel)) {
        return false;
      }
      sinceCheck = 0;
    }
    // A key whose last byte is padding means every text of the run ended.
    if (last - first > 1 && (keys[first].key & 0xFF) != 0) {
      const std::span<RowKey> run(keys.data() + first, last - first);
      const bool sorted = descending ? SortRun(
                                           run,
                                           [&](const RowKey& a, const RowKey& b) {
                                             return CompareFolded(restOf(b), restOf(a)) < 0;
                                           },
                                           cancel)
                                     : SortRun(
                                           run,
                                           [&](const RowKey& a, const RowKey& b) {
                                             return CompareFolded(restOf(a), restOf(b)) < 0;
                                           },
                                           cancel);
      if (!sorted) {
        return false;
      }
    }
    first = last;
  }
  return true;
}

// The place of each section's name in the order the list sorts texts (case
// folded, bytes unsigned), by table index: 1 for the first name, names that
// fold alike sharing a place; 0 stays for positions outside every section.
std::vector<std::uint32_t> SectionRanks(const SectionMap& map) {
  const auto records = map.Records();
  std::vector<std::uint32_t> byName(records.size());
  for (std::uint32_t k = 0; k < byName.size(); ++k) {
    byName[k] = k;
  }
  std::sort(byName.begin(), byName.end(), [&](std::uint32_t a, std::uint32_t b) {
    return CompareFolded(records[a].name, records[b].name) < 0;
  });
  std::vector<std::uint32_t> ranks(records.size(), 0);
  std::uint32_t rank = 0;
  for (std::size_t k = 0; k < byName.size(); ++k) {
    if (k == 0 || CompareFolded(records[byName[k - 1]].name, records[byName[k]].name) != 0) {
      ++rank;
    }
    ranks[byName[k]] = rank;
  }
  return ranks;
}

// Positions show as twelve fixed-width hex digits of their low 48 bits, so
// the texts sort as those numbers do.
constexpr std::uint64_t kShownBits = (std::uint64_t{1} << 48) - 1;

// The keys of the list's own columns. Length's is the text's length;
// Section's the place of the section's name among the map's names, found once
// per sort, so that a row costs one lookup of its section and no text
// compare; Tags' the place of the tag set's text among all sets' texts
// (TagsTextRanks), one lookup in a small table. Any other column gets 0 for
// every row: the order stays.
class ListOwnKeys {
 public:
  ListOwnKeys(const SectionMap& map, ResultColumn column, std::span<const TagSet> tags)
      : map_(map), column_(column), tags_(tags) {
    if (column == ResultColumn::Section) {
      sectionRanks_ = SectionRanks(map);
    }
    if (column == ResultColumn::Tags) {
      tagRanks_ = TagsTextRanks();
    }
  }
  [[nodiscard]] std::uint64_t Of(const ResultStore& store, std::uint32_t result) const {
    if (column_ == ResultColumn::Length) {
      return store.TextLength(result);
    }
    if (column_ == ResultColumn::Section) {
      const std::optional<std::uint32_t> section = map_.SectionIndex(store.Position(result));
      return section ? sectionRanks_[*section] : 0;
    }
    if (column_ == ResultColumn::Tags) {
      return result < tags_.size() ? tagRanks_[tags_[result] & (tagRanks_.size() - 1)] : 0;
    }
    return 0;
  }

 private:
  const SectionMap& map_;
  ResultColumn column_;
  std::span<const TagSet> tags_;
  std::vector<std::uint32_t> sectionRanks_;
  std::span<const std::uint16_t> tagRanks_;
};

// Text keys in store order, for a sort that takes most of the store's rows.
// PERF: after a sort the rows reach the pool in random order, and building
// the Text keys row by row cost a cache miss or three per row (seconds at
// ten million rows). The keys are built in store order instead, walking the
// pool from start to end, and then fetched by result, one miss each.
bool StoreOrderTextKeys(const ResultStore& store, const CancelFlag* cancel,
                        std::vector<std::uint64_t>& textKeys) {
  textKeys.resize(store.Count());
  return ForEachBlock(
      store.Count(), cancel, [&store, to = textKeys.data()](std::size_t first, std::size_t last) {
        for (std::size_t result = first; result < last; ++result) {
          to[result] = PackFolded(SortText(store, static_cast<std::uint32_t>(result)));
        }
      });
}

// Each row's key for `column`, with the row it came from. False when cancelled.
bool BuildKeys(const ResultStore& store, const SectionMap& map, std::span<const std::uint32_t> rows,
               ResultColumn column, std::span<const TagSet> tags, const CancelFlag* cancel,
               std::vector<RowKey>& keys) {
  const std::size_t n = rows.size();
  keys.resize(n);
  std::vector<std::uint64_t> textKeys;
  if (column == ResultColumn::Text && n >= store.Count() / 2 &&
      !StoreOrderTextKeys(store, cancel, textKeys)) {
    return false;
  }
  const ListOwnKeys ownKeys(map, column, tags);
  constexpr std::size_t kPrefetchAhead = 16;
  const std::uint64_t* const textKeyData = textKeys.data();
  const std::size_t textKeyCount = textKeys.size();
  return ForEachBlock(
      n, cancel,
      [&store, &map, &ownKeys, rows, column, n, textKeyData, textKeyCount, to = keys.data()](
          std::size_t first, std::size_t last) {
        for (std::size_t row = first; row < last; ++row) {
          const std::uint32_t result = rows[row];
          std::uint64_t key = 0;
          switch (column) {
            case ResultColumn::FilePos:
              key = store.Position(result) & kShownBits;
              break;
            case ResultColumn::MemPos:
              key = map.MemoryPosition(store.Position(result)) & kShownBits;
              break;
            case ResultColumn::Id:
              key = store.Id(result);
              break;
            case ResultColumn::Text:
              if (textKeyCount == 0) {
                key = PackFolded(SortText(store, result));
              } else {
                if (row + kPrefetchAhead < n && rows[row + kPrefetchAhead] < textKeyCount) {
                  __builtin_prefetch(&textKeyData[rows[row + kPrefetchAhead]]);
                }
                key = result < textKeyCount ? textKeyData[result] : 0;  // past the end: ""
              }
              break;
            default:
              key = ownKeys.Of(store, result);
              break;
          }
          to[row] = {key, static_cast<std::uint32_t>(row)};
        }
      });
}

}  // namespace

int CompareRows(const ResultStore& store, const SectionMap& map, std::uint32_t d1, std::uint32_t d2,
                ResultColumn column, int direction, std::span<const TagSet> tags) {
  // IDs are numbers: 9 comes before 10, and descending starts at the largest.
  if (column == ResultColumn::Id) {
    const int a = store.Id(d1);
    const int b = store.Id(d2);
    const int r = (a > b) - (a < b);
    return direction < 0 ? -r : r;
  }
  // So are lengths.
  if (column == ResultColumn::Length) {
    const std::uint32_t a = store.TextLength(d1);
    const std::uint32_t b = store.TextLength(d2);
    const int r = (a > b) - (a < b);
    return direction < 0 ? -r : r;
  }
  // Tags by their texts, whose order the ranks hold.
  if (column == ResultColumn::Tags) {
    const auto rank = [tags](std::uint32_t result) {
      return result < tags.size() ? TagsTextRank(tags[result]) : 0;
    };
    const int r = (rank(d1) > rank(d2)) - (rank(d1) < rank(d2));
    return direction < 0 ? -r : r;
  }
  // Two buffers: the first text must stay intact while the second is formatted.
  char bufferA[kFormatBufferSize];
  char bufferB[kFormatBufferSize];
  const char* t1 = FormatColumn(store, map, bufferA, nullptr, d1, column);
  const char* t2 = FormatColumn(store, map, bufferB, nullptr, d2, column);
  const int r = CompareFolded(t1, t2);
  return direction < 0 ? -r : r;
}

std::vector<std::uint32_t> SortedRowOrder(const ResultStore& store, const SectionMap& map,
                                          std::span<const std::uint32_t> rows, ResultColumn column,
                                          int direction, const CancelFlag* cancel,
                                          std::span<const TagSet> tags) {
  std::vector<RowKey> keys;
  if (!BuildKeys(store, map, rows, column, tags, cancel, keys)) {
    return {};
  }
  const bool descending = direction < 0;
  if (!RadixSortStable(keys, descending, cancel)) {
    return {};
  }
  if (column == ResultColumn::Text && !SortTextTies(store, rows, keys, descending, cancel)) {
    return {};
  }
  std::vector<std::uint32_t> order(keys.size());
  for (std::size_t k = 0; k < keys.size(); ++k) {
    order[k] = keys[k].oldRow;
  }
  return order;
}

}  // namespace quillex
