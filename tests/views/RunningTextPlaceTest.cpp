// Standard library
#include <cstdint>
#include <optional>

#include <gtest/gtest.h>

// Ours
#include "store/StringPool.h"
#include "views/RunningTextPlace.h"

namespace quillex {
namespace {

// The running text of "ab", "cde" and "f" is "ab cde f ": each string owns
// its characters and the space after them.
TEST(RunningTextPlace, EachPositionNamesTheStringItLiesIn) {
  StringPool pool;
  EXPECT_EQ(ResultAtRunningTextPosition(pool, 0), std::nullopt) << "no text at all";
  ASSERT_EQ(pool.Append("ab"), 0);
  ASSERT_EQ(pool.Append("cde"), 1);
  ASSERT_EQ(pool.Append("f"), 2);
  const std::optional<std::uint32_t> expected[] = {0, 0, 0, 1, 1, 1, 1, 2, 2};
  for (std::size_t position = 0; position < 9; ++position) {
    EXPECT_EQ(ResultAtRunningTextPosition(pool, position), expected[position]) << position;
  }
  // The caret after the last space, and anything beyond, is still the last.
  EXPECT_EQ(ResultAtRunningTextPosition(pool, 9), 2u);
  EXPECT_EQ(ResultAtRunningTextPosition(pool, 1u << 30), 2u);

  // Many strings, found by the search wherever they are.
  StringPool many;
  for (int i = 0; i < 1000; ++i) {
    ASSERT_EQ(many.Append(i % 2 == 0 ? "xy" : "z"), i);
  }
  // Pairs of "xy z " take five bytes: string 2k starts at 5k, 2k + 1 at 5k + 3.
  EXPECT_EQ(ResultAtRunningTextPosition(many, 5 * 321), 642u);
  EXPECT_EQ(ResultAtRunningTextPosition(many, 5 * 321 + 2), 642u);
  EXPECT_EQ(ResultAtRunningTextPosition(many, 5 * 321 + 3), 643u);
  EXPECT_EQ(ResultAtRunningTextPosition(many, 5 * 321 + 4), 643u);
}

}  // namespace
}  // namespace quillex
