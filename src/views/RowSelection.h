#pragma once

// Standard library
#include <cstdint>
#include <span>
#include <utility>
#include <vector>

namespace quillex {

// What a selection command does to the rows it names.
enum class SelectOp : std::uint8_t { Select, Deselect, Toggle };

// The selected rows of the result list, held as one bit per result rather
// than per row: a sort moves rows but never changes which results are
// selected, so it needs no work here, and any row's state is one lookup.
//
// On top of the bits lies one pending command, the selection a mouse drag or
// a Shift extension is still reshaping: a few ranges of display rows and what
// they do. A later pending command replaces it; Commit writes it into the
// bits. Every reader sees the bits with the pending command applied.
//
// The functions that take `rows` need the list's current display order: the
// result index of every row.
class RowSelection {
 public:
  // Room for results 0 .. count - 1; the bits of results kept stay as they
  // were, new ones start unselected.
  void Resize(std::uint32_t count);
  // Nothing selected and nothing pending.
  void Clear();

  // Writes the pending command into the bits and drops it.
  void Commit(std::span<const std::uint32_t> rows);
  // Replaces the pending command. `ranges` are inclusive display rows; they
  // may overlap and come in any order.
  void SetPending(std::vector<std::pair<std::uint32_t, std::uint32_t>> ranges, SelectOp op);
  // Applies `op` to the display rows [first, last] at once, after committing
  // what was pending.
  void Apply(std::span<const std::uint32_t> rows, std::uint32_t first, std::uint32_t last,
             SelectOp op);
  // Selects the given display rows (any order, out-of-range ones ignored),
  // after committing what was pending.
  void SelectRows(std::span<const std::uint32_t> rows, std::span<const std::uint32_t> displayRows);
  // Selects the results whose bits are set in `bits` (as ResultBits makes
  // them), after committing what was pending. Equal to SelectRows with the
  // display rows the bits were made from; a bit past the results is ignored.
  void SelectResults(std::span<const std::uint32_t> rows, std::span<const std::uint64_t> bits);
  // One bit per result, results 0 .. count - 1: set for the results of the
  // given display rows. Work that runs beside the list builds a selection
  // this way, and the list only has to merge it.
  [[nodiscard]] static std::vector<std::uint64_t> ResultBits(
      std::span<const std::uint32_t> rows, std::span<const std::uint32_t> displayRows,
      std::uint32_t count);

  [[nodiscard]] bool IsRowSelected(std::span<const std::uint32_t> rows, std::uint32_t row) const;
  // The result indices of the selected rows in display order.
  [[nodiscard]] std::vector<std::uint32_t> SelectedResults(
      std::span<const std::uint32_t> rows) const;
  [[nodiscard]] bool HasPending() const { return !pending_.empty(); }
  // True when no result is selected and no command is pending; a pending
  // command counts as a selection, whatever it would leave selected.
  [[nodiscard]] bool Empty() const;

 private:
  [[nodiscard]] bool Bit(std::uint32_t result) const {
    return result < count_ && ((words_[result >> 6] >> (result & 63)) & 1) != 0;
  }
  void SetBit(std::uint32_t result, SelectOp op);
  // Whether display row `row` lies in a pending range (bisection).
  [[nodiscard]] bool InPending(std::uint32_t row) const;
  // The bit after the pending command.
  [[nodiscard]] bool Effective(bool bit, std::uint32_t row) const;

  std::vector<std::uint64_t> words_;
  std::uint32_t count_ = 0;
  // Sorted, disjoint and not touching.
  std::vector<std::pair<std::uint32_t, std::uint32_t>> pending_;
  SelectOp pendingOp_ = SelectOp::Select;
};

}  // namespace quillex
