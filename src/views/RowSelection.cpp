#include "views/RowSelection.h"

// Standard library
#include <algorithm>

namespace quillex {

void RowSelection::Resize(std::uint32_t count) {
  words_.resize((static_cast<std::size_t>(count) + 63) / 64, 0);
  if (count < count_ && (count & 63) != 0) {
    // Bits past the new end would come back selected after a later growth.
    words_.back() &= (std::uint64_t{1} << (count & 63)) - 1;
  }
  count_ = count;
}

void RowSelection::Clear() {
  std::fill(words_.begin(), words_.end(), 0);
  pending_.clear();
}

void RowSelection::SetBit(std::uint32_t result, SelectOp op) {
  if (result >= count_) {
    return;
  }
  const std::uint64_t mask = std::uint64_t{1} << (result & 63);
  std::uint64_t& word = words_[result >> 6];
  switch (op) {
    case SelectOp::Select:
      word |= mask;
      break;
    case SelectOp::Deselect:
      word &= ~mask;
      break;
    case SelectOp::Toggle:
      word ^= mask;
      break;
  }
}

void RowSelection::Commit(std::span<const std::uint32_t> rows) {
  const std::vector<std::pair<std::uint32_t, std::uint32_t>> pending = std::move(pending_);
  pending_.clear();
  for (const auto& [first, last] : pending) {
    Apply(rows, first, last, pendingOp_);
  }
}

void RowSelection::SetPending(std::vector<std::pair<std::uint32_t, std::uint32_t>> ranges,
                              SelectOp op) {
  std::sort(ranges.begin(), ranges.end());
  pending_.clear();
  for (const auto& [first, last] : ranges) {
    if (first > last) {
      continue;
    }
    // Merging overlapping ranges keeps a row from toggling twice.
    if (!pending_.empty() && first <= pending_.back().second + std::uint64_t{1}) {
      pending_.back().second = std::max(pending_.back().second, last);
    } else {
      pending_.emplace_back(first, last);
    }
  }
  pendingOp_ = op;
}

void RowSelection::Apply(std::span<const std::uint32_t> rows, std::uint32_t first,
                         std::uint32_t last, SelectOp op) {
  if (!pending_.empty()) {
    Commit(rows);
  }
  if (rows.empty() || first > last || first >= rows.size()) {
    return;
  }
  last = std::min<std::uint32_t>(last, static_cast<std::uint32_t>(rows.size() - 1));
  for (std::uint32_t row = first; row <= last; ++row) {
    SetBit(rows[row], op);
  }
}

void RowSelection::SelectRows(std::span<const std::uint32_t> rows,
                              std::span<const std::uint32_t> displayRows) {
  if (!pending_.empty()) {
    Commit(rows);
  }
  for (const std::uint32_t row : displayRows) {
    if (row < rows.size()) {
      SetBit(rows[row], SelectOp::Select);
    }
  }
}

void RowSelection::SelectResults(std::span<const std::uint32_t> rows,
                                 std::span<const std::uint64_t> bits) {
  if (!pending_.empty()) {
    Commit(rows);
  }
  const std::size_t words = std::min(words_.size(), bits.size());
  for (std::size_t w = 0; w < words; ++w) {
    words_[w] |= bits[w];
  }
  if (!words_.empty() && (count_ & 63) != 0) {
    words_.back() &= (std::uint64_t{1} << (count_ & 63)) - 1;
  }
}

std::vector<std::uint64_t> RowSelection::ResultBits(std::span<const std::uint32_t> rows,
                                                    std::span<const std::uint32_t> displayRows,
                                                    std::uint32_t count) {
  std::vector<std::uint64_t> bits((static_cast<std::size_t>(count) + 63) / 64, 0);
  for (const std::uint32_t row : displayRows) {
    if (row < rows.size() && rows[row] < count) {
      bits[rows[row] >> 6] |= std::uint64_t{1} << (rows[row] & 63);
    }
  }
  return bits;
}

bool RowSelection::Empty() const {
  return pending_.empty() &&
         std::all_of(words_.begin(), words_.end(), [](std::uint64_t word) { return word == 0; });
}

bool RowSelection::InPending(std::uint32_t row) const {
  const auto after = std::upper_bound(
      pending_.begin(), pending_.end(), row,
      [](std::uint32_t value, const std::pair<std::uint32_t, std::uint32_t>& range) {
        return value < range.first;
      });
  return after != pending_.begin() && row <= std::prev(after)->second;
}

bool RowSelection::Effective(bool bit, std::uint32_t row) const {
  if (pending_.empty() || !InPending(row)) {
    return bit;
  }
  switch (pendingOp_) {
    case SelectOp::Select:
      return true;
    case SelectOp::Deselect:
      return false;
    case SelectOp::Toggle:
      return !bit;
  }
  return bit;
}

bool RowSelection::IsRowSelected(std::span<const std::uint32_t> rows, std::uint32_t row) const {
  return row < rows.size() && Effective(Bit(rows[row]), row);
}

std::vector<std::uint32_t> RowSelection::SelectedResults(
    std::span<const std::uint32_t> rows) const {
  std::vector<std::uint32_t> selected;
  for (std::uint32_t row = 0; row < rows.size(); ++row) {
    if (Effective(Bit(rows[row]), row)) {
      selected.push_back(rows[row]);
    }
  }
  return selected;
}

}  // namespace quillex
