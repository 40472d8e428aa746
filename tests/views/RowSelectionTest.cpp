// Standard library
#include <cstdint>
#include <numeric>
#include <vector>

#include <gtest/gtest.h>

// Ours
#include "views/RowSelection.h"

namespace quillex {
namespace {

using Rows = std::vector<std::uint32_t>;

std::vector<bool> States(const RowSelection& selection, const Rows& rows) {
  std::vector<bool> states;
  for (std::uint32_t row = 0; row < rows.size(); ++row) {
    states.push_back(selection.IsRowSelected(rows, row));
  }
  return states;
}

TEST(RowSelection, BitsBelongToResultsSoASortKeepsThem) {
  Rows rows(130);
  std::iota(rows.begin(), rows.end(), 0u);
  RowSelection selection;
  selection.Resize(130);
  selection.SelectRows(rows, Rows{2, 64, 129, 500});
  selection.Apply(rows, 10, 12, SelectOp::Select);
  selection.Apply(rows, 11, 11, SelectOp::Deselect);
  EXPECT_EQ(selection.SelectedResults(rows), (Rows{2, 10, 12, 64, 129}));
  // A new display order: the same results stay selected, in the new order.
  const Rows reversed(rows.rbegin(), rows.rend());
  EXPECT_EQ(selection.SelectedResults(reversed), (Rows{129, 64, 12, 10, 2}));
  EXPECT_TRUE(selection.IsRowSelected(reversed, 0));
  EXPECT_FALSE(selection.IsRowSelected(reversed, 1));
  EXPECT_FALSE(selection.IsRowSelected(reversed, 130));
  // Toggling a range flips each row once; ranges past the end are cut.
  selection.Apply(reversed, 0, 1000, SelectOp::Toggle);
  EXPECT_EQ(selection.SelectedResults(rows).size(), 125u);
  selection.Clear();
  EXPECT_TRUE(selection.SelectedResults(rows).empty());
}

TEST(RowSelection, ShrinkingForgetsTheBitsPastTheEnd) {
  Rows rows(70);
  std::iota(rows.begin(), rows.end(), 0u);
  RowSelection selection;
  selection.Resize(70);
  selection.Apply(rows, 0, 69, SelectOp::Select);
  selection.Resize(65);
  selection.Resize(70);
  EXPECT_EQ(selection.SelectedResults(rows).size(), 65u);
  EXPECT_FALSE(selection.IsRowSelected(rows, 66));
}

// The pending command is what a drag or a Shift extension is reshaping: each
// new one replaces it, and only a commit makes it part of the bits.
TEST(RowSelection, PendingCommandReplacesThenCommits) {
  const Rows rows = {5, 4, 3, 2, 1, 0};
  RowSelection selection;
  selection.Resize(6);
  selection.Apply(rows, 0, 0, SelectOp::Select);
  selection.SetPending({{2, 4}}, SelectOp::Select);
  EXPECT_EQ(States(selection, rows), (std::vector<bool>{true, false, true, true, true, false}));
  selection.SetPending({{2, 2}, {3, 3}}, SelectOp::Select);  // the drag went back
  EXPECT_EQ(States(selection, rows), (std::vector<bool>{true, false, true, true, false, false}));
  EXPECT_EQ(selection.SelectedResults(rows), (Rows{5, 3, 2}));
  // Toggle over overlapping ranges flips each row once.
  selection.SetPending({{0, 1}, {1, 2}}, SelectOp::Toggle);
  EXPECT_EQ(States(selection, rows), (std::vector<bool>{false, true, true, false, false, false}));
  selection.Commit(rows);
  EXPECT_FALSE(selection.HasPending());
  // Committed bits follow results; a later order sees them.
  EXPECT_EQ(selection.SelectedResults(Rows{0, 1, 2, 3, 4, 5}), (Rows{3, 4}));
  // A deselecting command, and an Apply that commits it first.
  selection.SetPending({{1, 1}}, SelectOp::Deselect);
  EXPECT_FALSE(selection.IsRowSelected(rows, 1));
  selection.Apply(rows, 5, 5, SelectOp::Select);
  EXPECT_FALSE(selection.HasPending());
  EXPECT_EQ(selection.SelectedResults(rows), (Rows{3, 0}));
  selection.SetPending({{0, 5}}, SelectOp::Select);
  selection.Clear();
  EXPECT_TRUE(selection.SelectedResults(rows).empty());
}

// A selection made beside the list as bits per result merges into the list's
// exactly as selecting those rows would, after what was pending; Empty is
// true only when nothing is selected or pending.
TEST(RowSelection, BitsMadeElsewhereMergeLikeSelectedRows) {
  Rows rows(200);
  std::iota(rows.begin(), rows.end(), 0u);
  const Rows shuffled(rows.rbegin(), rows.rend());
  const Rows displayRows{0, 5, 63, 64, 199, 400};
  RowSelection bySelect;
  RowSelection byBits;
  for (RowSelection* selection : {&bySelect, &byBits}) {
    selection->Resize(200);
    EXPECT_TRUE(selection->Empty());
    selection->SetPending({{10, 12}}, SelectOp::Select);
    EXPECT_FALSE(selection->Empty()) << "a pending command counts";
  }
  bySelect.SelectRows(shuffled, displayRows);
  const std::vector<std::uint64_t> bits = RowSelection::ResultBits(shuffled, displayRows, 200);
  ASSERT_EQ(bits.size(), 4u);
  byBits.SelectResults(shuffled, bits);
  EXPECT_EQ(byBits.SelectedResults(rows), bySelect.SelectedResults(rows));
  EXPECT_EQ(byBits.SelectedResults(rows), (Rows{0, 135, 136, 187, 188, 189, 194, 199}));
  EXPECT_FALSE(byBits.HasPending());
  // Bits past the results are ignored, here and in a later growth.
  byBits.Clear();
  EXPECT_TRUE(byBits.Empty());
  byBits.Resize(130);
  byBits.SelectResults(rows, std::vector<std::uint64_t>(4, ~std::uint64_t{0}));
  EXPECT_EQ(byBits.SelectedResults(rows).size(), 130u);
  byBits.Resize(200);
  EXPECT_EQ(byBits.SelectedResults(rows).size(), 130u);
}

}  // namespace
}  // namespace quillex
