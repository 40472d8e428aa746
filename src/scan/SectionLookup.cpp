#include "scan/SectionLookup.h"

// Standard library
#include <algorithm>
#include <iterator>
#include <limits>

// Ours
#include "scan/SectionMap.h"

namespace quillex {

namespace {

constexpr std::uint32_t kNoSection = std::numeric_limits<std::uint32_t>::max();

bool HoldsPositions(const SectionRecord& record) {
  return record.rawStart < record.rawEnd;
}

// Every raw start and raw end of a section that holds positions, sorted and
// without repeats. Piece k runs from bounds[k] up to bounds[k + 1]; the last
// piece, from the last bound on, lies behind every section.
std::vector<std::uint32_t> SortedBounds(std::span<const SectionRecord> records) {
  std::vector<std::uint32_t> bounds;
  bounds.reserve(2 * records.size());
  for (const SectionRecord& record : records) {
    if (HoldsPositions(record)) {
      bounds.push_back(record.rawStart);
      bounds.push_back(record.rawEnd);
    }
  }
  std::sort(bounds.begin(), bounds.end());
  bounds.erase(std::unique(bounds.begin(), bounds.end()), bounds.end());
  return bounds;
}

std::size_t BoundIndex(const std::vector<std::uint32_t>& bounds, std::uint32_t value) {
  return static_cast<std::size_t>(
      std::distance(bounds.begin(), std::lower_bound(bounds.begin(), bounds.end(), value)));
}

// The owner of every piece: the sections are taken in table order and each
// one claims the pieces of its range that no earlier section has claimed.
// `unclaimed[k]` leads towards the first unclaimed piece at or after k (a
// union-find with path halving), so claimed pieces are stepped over in nearly
// constant time and the whole table costs O(n log n) with the sort, however
// the ranges overlap or nest.
std::vector<std::uint32_t> PieceOwners(std::span<const SectionRecord> records,
                                       const std::vector<std::uint32_t>& bounds) {
  const std::size_t pieces = bounds.size();
  std::vector<std::uint32_t> owners(pieces, kNoSection);
  std::vector<std::uint32_t> unclaimed(pieces);
  for (std::size_t k = 0; k < pieces; ++k) {
    unclaimed[k] = static_cast<std::uint32_t>(k);
  }
  auto firstUnclaimed = [&unclaimed](std::size_t k) {
    while (unclaimed[k] != k) {
      unclaimed[k] = unclaimed[unclaimed[k]];
      k = unclaimed[k];
    }
    return k;
  };
  for (std::size_t i = 0; i < records.size(); ++i) {
    const SectionRecord& record = records[i];
    if (!HoldsPositions(record)) {
      continue;
    }
    // The last piece is never claimed: no range reaches past the last bound.
    const std::size_t end = BoundIndex(bounds, record.rawEnd);
    for (std::size_t k = firstUnclaimed(BoundIndex(bounds, record.rawStart)); k < end;
         k = firstUnclaimed(k)) {
      owners[k] = static_cast<std::uint32_t>(i);
      unclaimed[k] = static_cast<std::uint32_t>(k + 1);
    }
  }
  return owners;
}

}  // namespace

void SectionLookup::Clear() {
  starts_.clear();
  starts_.shrink_to_fit();
  owners_.clear();
  owners_.shrink_to_fit();
}

void SectionLookup::Build(std::span<const SectionRecord> records) {
  Clear();
  const std::vector<std::uint32_t> bounds = SortedBounds(records);
  const std::vector<std::uint32_t> owners = PieceOwners(records, bounds);
  // Neighbouring pieces of one owner become one entry, so a section cut into
  // pieces by the ends of the sections it covers still takes one entry.
  std::size_t runs = 0;
  for (std::size_t k = 0; k < owners.size(); ++k) {
    if (k == 0 || owners[k] != owners[k - 1]) {
      ++runs;
    }
  }
  std::vector<std::uint32_t> starts;
  std::vector<std::uint32_t> runOwners;
  starts.reserve(runs);
  runOwners.reserve(runs);
  for (std::size_t k = 0; k < owners.size(); ++k) {
    if (k == 0 || owners[k] != owners[k - 1]) {
      starts.push_back(bounds[k]);
      runOwners.push_back(owners[k]);
    }
  }
  starts_ = std::move(starts);
  owners_ = std::move(runOwners);
}

std::optional<std::uint32_t> SectionLookup::Find(std::uint64_t filePosition) const {
  // The entry that holds the position is the last one starting at or before
  // it; before the first entry, and beyond 32 bits, lies no section's data
  // (the last entry, behind every range, has no owner).
  const auto after = std::upper_bound(starts_.begin(), starts_.end(), filePosition);
  if (after == starts_.begin()) {
    return std::nullopt;
  }
  const std::uint32_t owner = owners_[static_cast<std::size_t>(after - starts_.begin()) - 1];
  if (owner == kNoSection) {
    return std::nullopt;
  }
  return owner;
}

}  // namespace quillex
