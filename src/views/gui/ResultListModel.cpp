#include "views/gui/ResultListModel.h"

// Standard library
#include <algorithm>
#include <array>
#include <climits>
#include <cstring>
#include <string>
#include <utility>

// Qt
#include <QIcon>
#include <QString>

// Ours
#include "scan/SectionMap.h"
#include "store/FormatColumn.h"
#include "store/ResultStore.h"
#include "views/gui/Cp1252Text.h"
#include "views/gui/KindIcons.h"

namespace quillex {

namespace {

constexpr std::array<const char*, 4> kColumnTitles = {"File pos", "Mem pos", "ID", "Text"};

// The C locale's case folding as the list compares: A-Z become a-z, every
// other byte stays itself.
constexpr std::array<std::uint8_t, 256> BuildFold() {
  std::array<std::uint8_t, 256> fold{};
  for (unsigned b = 0; b < 256; ++b) {
    fold[b] = static_cast<std::uint8_t>(b >= 'A' && b <= 'Z' ? b + ('a' - 'A') : b);
  }
  return fold;
}
constexpr std::array<std::uint8_t, 256> kFold = BuildFold();

inline std::uint8_t Fold(char c) {
  return kFold[static_cast<unsigned char>(c)];
}

// Compares two NUL-terminated texts: the first differing folded byte decides
// (unsigned), and a text that ends first is the smaller.
int CompareFolded(const char* a, const char* b) {
  for (;; ++a, ++b) {
    const int ca = Fold(*a);
    const int cb = Fold(*b);
    if (ca != cb) {
      return ca - cb;
    }
    if (ca == 0) {
      return 0;
    }
  }
}

// Folded bytes packed big-endian and padded with zeros. For texts without NUL
// bytes, comparing two such numbers is comparing the texts: the first
// differing byte decides, and the padding (0) sorts a prefix first.
std::uint64_t PackFolded(const char* text, std::uint32_t length) {
  std::uint64_t key = 0;
  for (std::uint32_t i = 0; i < 8; ++i) {
    key <<= 8;
    if (i < length) {
      key |= Fold(text[i]);
    }
  }
  return key;
}

// Sort key of the position and ID columns: a number whose order is the
// order of the column's text.
struct NumberKey {
  std::uint64_t key;
  std::uint32_t oldRow;
};

// The rank of every ID's decimal text among all 65536 of them, so that IDs
// sort as text ("10" before "9") by one number.
std::vector<std::uint16_t> BuildIdRanks() {
  std::vector<std::pair<std::string, std::uint32_t>> texts;
  texts.reserve(65536);
  for (std::uint32_t id = 0; id < 65536; ++id) {
    texts.emplace_back(std::to_string(id), id);
  }
  std::sort(texts.begin(), texts.end());
  std::vector<std::uint16_t> ranks(65536);
  for (std::size_t rank = 0; rank < texts.size(); ++rank) {
    ranks[texts[rank].second] = static_cast<std::uint16_t>(rank);
  }
  return ranks;
}

// Sort key of the Text column: the first eight folded bytes decide most
// comparisons without touching the pool; ties fall back to the texts.
struct TextKey {
  std::uint64_t prefix;
  const char* text;
  std::uint32_t oldRow;
};

// Sorts by the 48-bit keys, keeping equal keys in their order: a least
// significant digit radix sort with 16-bit digits.
// PERF: one counting pass finds the digits where keys differ at all; IDs and
// the high digits of positions are often constant, so a million rows take one
// to three scatter passes instead of the n log n comparisons of a comparison
// sort. Descending order sorts the complemented digits, which keeps ties
// stable as well.
void RadixSortStable(std::vector<NumberKey>& keys, bool descending) {
  constexpr int kDigits = 3;
  constexpr std::size_t kBuckets = 65536;
  const auto digitOf = [descending](const NumberKey& key, int digit) {
    const auto value = static_cast<std::uint16_t>(key.key >> (16 * digit));
    return static_cast<std::size_t>(descending ? 0xFFFFu - value : value);
  };
  std::vector<std::size_t> counts(kDigits * kBuckets, 0);
  for (const NumberKey& key : keys) {
    for (int digit = 0; digit < kDigits; ++digit) {
      ++counts[static_cast<std::size_t>(digit) * kBuckets + digitOf(key, digit)];
    }
  }
  std::vector<NumberKey> scratch(keys.size());
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
    for (const NumberKey& key : keys) {
      scratch[count[digitOf(key, digit)]++] = key;
    }
    keys.swap(scratch);
  }
}

int CompareTextKeys(const TextKey& a, const TextKey& b) {
  if (a.prefix != b.prefix) {
    return a.prefix < b.prefix ? -1 : 1;
  }
  // Equal prefixes that end in padding mean both texts ended there.
  if ((a.prefix & 0xFF) == 0) {
    return 0;
  }
  return CompareFolded(a.text + 8, b.text + 8);
}

}  // namespace

int CompareRows(const ResultStore& store, const SectionMap& map, std::uint32_t d1, std::uint32_t d2,
                ResultColumn column, int direction) {
  // Two buffers: the first text must stay intact while the second is formatted.
  char bufferA[kFormatBufferSize];
  char bufferB[kFormatBufferSize];
  const char* t1 = FormatColumn(store, map, bufferA, nullptr, d1, column);
  const char* t2 = FormatColumn(store, map, bufferB, nullptr, d2, column);
  const int r = CompareFolded(t1, t2);
  return direction < 0 ? -r : r;
}

ResultListModel::ResultListModel(const ResultStore& store, const SectionMap& map, QObject* parent)
    : QAbstractTableModel(parent), store_(store), map_(map) {}

int ResultListModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int ResultListModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(ResultColumn::ColumnCount);
}

QVariant ResultListModel::data(const QModelIndex& index, int role) const {
  if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid)) {
    return {};
  }
  const std::uint32_t result = rows_[static_cast<std::size_t>(index.row())];
  const auto column = static_cast<ResultColumn>(index.column());
  switch (role) {
    case Qt::DisplayRole: {
      char buffer[kFormatBufferSize];
      std::uint32_t length = 0;
      const char* text = FormatColumn(store_, map_, buffer, &length, result, column);
      QString shown = BytesToQString(std::string_view(text, length));
      // A row is one line: the item view would cut a text at its first line
      // break and hide the rest, so breaks show as spaces here (only here;
      // Find, Save and Copy read the bytes themselves).
      if (column == ResultColumn::Text) {
        shown.replace(QLatin1Char('\r'), QLatin1Char(' '))
            .replace(QLatin1Char('\n'), QLatin1Char(' '));
      }
      return shown;
    }
    case Qt::DecorationRole:
      if (column == ResultColumn::FilePos) {
        return KindIcons::Shared().Icon(store_.Tag(result) >> 16);
      }
      return {};
    case Qt::TextAlignmentRole:
      return QVariant::fromValue(Qt::Alignment(Qt::AlignLeft | Qt::AlignVCenter));
    case ResultIndexRole:
      return QVariant::fromValue(result);
    default:
      return {};
  }
}

QVariant ResultListModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || section < 0 ||
      section >= static_cast<int>(ResultColumn::ColumnCount)) {
    return {};
  }
  if (role == Qt::DisplayRole) {
    return QString::fromLatin1(kColumnTitles[static_cast<std::size_t>(section)]);
  }
  if (role == Qt::TextAlignmentRole) {
    return QVariant::fromValue(Qt::Alignment(Qt::AlignLeft | Qt::AlignVCenter));
  }
  return {};
}

void ResultListModel::Fill() {
  // A view addresses rows with int; a store can never hold that many results
  // in practice, but the rows stop there rather than wrap.
  const std::size_t room = static_cast<std::size_t>(INT_MAX) - rows_.size();
  const std::uint32_t count =
      static_cast<std::uint32_t>(std::min<std::size_t>(store_.Count(), room));
  if (count == 0) {
    return;
  }
  const int first = static_cast<int>(rows_.size());
  beginInsertRows({}, first, first + static_cast<int>(count) - 1);
  rows_.reserve(rows_.size() + count);
  for (std::uint32_t i = 0; i < count; ++i) {
    rows_.push_back(i);
  }
  endInsertRows();
}

void ResultListModel::ClearRows() {
  beginResetModel();
  rows_ = {};
  endResetModel();
}

std::uint32_t ResultListModel::ResultIndexAt(int row) const {
  return rows_[static_cast<std::size_t>(row)];
}

void ResultListModel::SortByColumn(ResultColumn column) {
  const int c = static_cast<int>(column);
  if (c == sortColumn_) {
    sortDirection_ = -sortDirection_;
  } else {
    sortColumn_ = c;
    sortDirection_ = 1;
  }
  SortRows(column, sortDirection_);
}

void ResultListModel::SortRows(ResultColumn column, int direction) {
  if (rows_.size() < 2 || column < ResultColumn::FilePos || column >= ResultColumn::ColumnCount) {
    return;
  }
  const std::size_t n = rows_.size();
  // The new order as old row numbers. Every key orders rows exactly as
  // CompareRows orders their column texts, and both sorts are stable: rows
  // whose texts compare equal keep their previous order.
  std::vector<std::uint32_t> order(n);
  if (column == ResultColumn::Text) {
    static const char kEmpty[1] = {0};
    char buffer[kFormatBufferSize];
    std::vector<TextKey> keys(n);
    for (std::size_t row = 0; row < n; ++row) {
      std::uint32_t length = 0;
      const char* text = FormatColumn(store_, map_, buffer, &length, rows_[row], column);
      if (text == buffer) {
        text = kEmpty;  // only a result past the end formats into the buffer
        length = 0;
      }
      keys[row] = {PackFolded(text, length), text, static_cast<std::uint32_t>(row)};
    }
    if (direction < 0) {
      std::stable_sort(keys.begin(), keys.end(), [](const TextKey& a, const TextKey& b) {
        return CompareTextKeys(b, a) < 0;
      });
    } else {
      std::stable_sort(keys.begin(), keys.end(), [](const TextKey& a, const TextKey& b) {
        return CompareTextKeys(a, b) < 0;
      });
    }
    for (std::size_t k = 0; k < n; ++k) {
      order[k] = keys[k].oldRow;
    }
  } else {
    // Positions show as twelve fixed-width hex digits of their low 48 bits,
    // so the texts sort as those numbers do.
    constexpr std::uint64_t kShownBits = (std::uint64_t{1} << 48) - 1;
    std::vector<NumberKey> keys(n);
    if (column == ResultColumn::Id) {
      static const std::vector<std::uint16_t> ranks = BuildIdRanks();
      for (std::size_t row = 0; row < n; ++row) {
        keys[row] = {ranks[store_.Tag(rows_[row]) & 0xFFFFu], static_cast<std::uint32_t>(row)};
      }
    } else if (column == ResultColumn::MemPos) {
      for (std::size_t row = 0; row < n; ++row) {
        keys[row] = {map_.MemoryPosition(store_.Position(rows_[row])) & kShownBits,
                     static_cast<std::uint32_t>(row)};
      }
    } else {
      for (std::size_t row = 0; row < n; ++row) {
        keys[row] = {store_.Position(rows_[row]) & kShownBits, static_cast<std::uint32_t>(row)};
      }
    }
    RadixSortStable(keys, direction < 0);
    for (std::size_t k = 0; k < n; ++k) {
      order[k] = keys[k].oldRow;
    }
  }
  ApplyOrder(std::move(order));
}

void ResultListModel::ApplyOrder(std::vector<std::uint32_t> order) {
  emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
  const QModelIndexList persistent = persistentIndexList();
  std::vector<std::uint32_t> newRows(order.size());
  for (std::size_t k = 0; k < order.size(); ++k) {
    newRows[k] = rows_[order[k]];
  }
  if (!persistent.isEmpty()) {
    // Selection and current row follow their rows to the new places.
    std::vector<std::uint32_t> newPlace(order.size());
    for (std::size_t k = 0; k < order.size(); ++k) {
      newPlace[order[k]] = static_cast<std::uint32_t>(k);
    }
    QModelIndexList moved;
    moved.reserve(persistent.size());
    for (const QModelIndex& index : persistent) {
      moved.append(this->index(static_cast<int>(newPlace[static_cast<std::size_t>(index.row())]),
                               index.column()));
    }
    rows_ = std::move(newRows);
    changePersistentIndexList(persistent, moved);
  } else {
    rows_ = std::move(newRows);
  }
  emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

}  // namespace quillex
