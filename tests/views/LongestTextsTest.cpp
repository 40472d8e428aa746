// Standard library
#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include <gtest/gtest.h>

// Ours
#include "store/ResultStore.h"
#include "views/LongestTexts.h"

namespace quillex {
namespace {

// The rows of the longest texts by bytes, the earlier of equal lengths kept;
// rows are positions in the order given, not results.
TEST(LongestTexts, TheLongestByBytesAsRowsOfTheOrderGiven) {
  ResultStore store;
  for (std::uint32_t i = 0; i < 300000; ++i) {
    const std::size_t length = 5 + (i * 7919u) % 50;
    ASSERT_TRUE(store.AddResult(i, 0, 0, std::string(length, 'x').c_str(), StringKind::Ansi));
  }
  ASSERT_TRUE(store.AddResult(0, 0, 0, std::string(300, 'w').c_str(), StringKind::Ansi));
  std::vector<std::uint32_t> rows(store.Count());
  for (std::uint32_t i = 0; i < store.Count(); ++i) {
    rows[i] = store.Count() - 1 - i;  // the longest text is row 0
  }
  std::vector<std::uint32_t> found = LongestTextRows(store, rows, 4);
  std::sort(found.begin(), found.end());
  ASSERT_EQ(found.size(), 4u);
  EXPECT_EQ(found[0], 0u);
  for (const std::uint32_t row : found) {
    EXPECT_GE(store.TextLength(rows[row]), 54u) << row;
  }
  // Of the texts of 54 bytes, the rows that come first.
  std::vector<std::uint32_t> longest;
  for (std::uint32_t row = 0; row < rows.size() && longest.size() < 3; ++row) {
    if (store.TextLength(rows[row]) == 54) {
      longest.push_back(row);
    }
  }
  EXPECT_EQ(std::vector<std::uint32_t>(found.begin() + 1, found.end()), longest);

  EXPECT_TRUE(LongestTextRows(store, rows, 0).empty());
  EXPECT_EQ(LongestTextRows(store, std::vector<std::uint32_t>{3, 1}, 5).size(), 2u);
  CancelFlag raised{true};
  EXPECT_TRUE(LongestTextRows(store, rows, 4, &raised).empty());
}

}  // namespace
}  // namespace quillex
