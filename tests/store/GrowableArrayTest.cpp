// Standard library
#include <cstdint>
#include <vector>

#include <gtest/gtest.h>

// Ours
#include "store/FailingAllocator.h"
#include "store/ResultStore.h"

namespace quillex {
namespace {

// A distinct, non-zero item for every index, so that a lost or shifted item
// shows up.
template <typename Item>
Item MakeItem(std::uint32_t i);
template <>
FilePosition MakeItem<FilePosition>(std::uint32_t i) {
  return FilePosition{i * 7 + 1, i ^ 0xA5A5u};
}
template <>
std::uint32_t MakeItem<std::uint32_t>(std::uint32_t i) {
  return i * 2654435761u + 1;
}

bool Same(const FilePosition& a, const FilePosition& b) {
  return a.low == b.low && a.high == b.high;
}
bool Same(std::uint32_t a, std::uint32_t b) {
  return a == b;
}
bool IsZero(const FilePosition& p) {
  return p.low == 0 && p.high == 0;
}
bool IsZero(std::uint32_t v) {
  return v == 0;
}

template <typename Item>
class GrowableArrayTest : public ::testing::Test {
 protected:
  // Every item 0 .. count-1 is the one appended at that index.
  static void ExpectItems(const GrowableArray<Item>& array, std::uint32_t count) {
    ASSERT_EQ(array.Count(), count);
    for (std::uint32_t i = 0; i < count; ++i) {
      ASSERT_TRUE(Same(array.At(i), MakeItem<Item>(i))) << "item " << i;
    }
  }
};

using ItemTypes = ::testing::Types<FilePosition, std::uint32_t>;
TYPED_TEST_SUITE(GrowableArrayTest, ItemTypes);

TYPED_TEST(GrowableArrayTest, GrowthKeepsEveryItem) {
  GrowableArray<TypeParam> array;
  EXPECT_EQ(array.Capacity(), 0u);
  const std::vector<std::uint32_t> expectedCapacities{32, 50, 69, 89, 110, 132, 156, 181, 208};
  std::vector<std::uint32_t> capacities;
  for (std::uint32_t i = 0; i < 208; ++i) {
    ASSERT_EQ(array.Append(MakeItem<TypeParam>(i)), i);
    if (capacities.empty() || capacities.back() != array.Capacity()) {
      capacities.push_back(array.Capacity());
      // Right after each growth, every older item is still in place.
      this->ExpectItems(array, i + 1);
    }
  }
  EXPECT_EQ(capacities, expectedCapacities);
  // The 33rd item grows to 50, the 51st to 69: exactly at the boundary.
  GrowableArray<TypeParam> edge;
  for (std::uint32_t i = 0; i < 33; ++i) {
    edge.Append(MakeItem<TypeParam>(i));
  }
  EXPECT_EQ(edge.Capacity(), 50u);
  for (std::uint32_t i = 33; i < 50; ++i) {
    edge.Append(MakeItem<TypeParam>(i));
  }
  EXPECT_EQ(edge.Capacity(), 50u);
  edge.Append(MakeItem<TypeParam>(50));
  EXPECT_EQ(edge.Capacity(), 69u);
  this->ExpectItems(edge, 51);
}

TYPED_TEST(GrowableArrayTest, ReadsPastTheEndGiveTheZeroItem) {
  GrowableArray<TypeParam> array;
  EXPECT_TRUE(IsZero(array.At(0)));
  EXPECT_TRUE(IsZero(array.At(0xFFFFFFFFu)));
  for (std::uint32_t i = 0; i < 5; ++i) {
    array.Append(MakeItem<TypeParam>(i));
  }
  EXPECT_TRUE(IsZero(array.At(5))) << "capacity 32 holds no item at the count";
  EXPECT_TRUE(IsZero(array.At(31)));
  EXPECT_TRUE(IsZero(array.At(1000)));
  EXPECT_EQ(&array.At(5), &array.At(77)) << "one shared default item";

  array.Release();
  EXPECT_EQ(array.Count(), 0u);
  EXPECT_EQ(array.Capacity(), 0u);
  EXPECT_TRUE(IsZero(array.At(0)));
  // Usable again after Release, starting over at 32.
  EXPECT_EQ(array.Append(MakeItem<TypeParam>(0)), 0u);
  EXPECT_EQ(array.Capacity(), 32u);
  this->ExpectItems(array, 1);
}

TYPED_TEST(GrowableArrayTest, InitialCapacityAndCount) {
  GrowableArray<TypeParam> zeroed(10, 4);
  EXPECT_EQ(zeroed.Capacity(), 10u);
  EXPECT_EQ(zeroed.Count(), 4u);
  for (std::uint32_t i = 0; i < 4; ++i) {
    EXPECT_TRUE(IsZero(zeroed.At(i)));
  }
  EXPECT_EQ(zeroed.Append(MakeItem<TypeParam>(4)), 4u);

  GrowableArray<TypeParam> tooMany(4, 10);
  EXPECT_EQ(tooMany.Capacity(), 4u);
  EXPECT_EQ(tooMany.Count(), 0u) << "a count above the capacity is ignored";
  for (std::uint32_t i = 0; i < 5; ++i) {
    tooMany.Append(MakeItem<TypeParam>(i));
  }
  EXPECT_EQ(tooMany.Capacity(), 4u + 4u / 16 + 16) << "grows from the given capacity";
  this->ExpectItems(tooMany, 5);

  GrowableArray<TypeParam> countOnly(0, 3);
  EXPECT_EQ(countOnly.Capacity(), 0u);
  EXPECT_EQ(countOnly.Count(), 0u);
}

TYPED_TEST(GrowableArrayTest, FailedGrowthChangesNothing) {
  testing::FailingAllocator allocator;
  GrowableArray<TypeParam> array;
  allocator.FailNext();
  EXPECT_EQ(array.Append(MakeItem<TypeParam>(0)), GrowableArray<TypeParam>::kAppendFailed);
  EXPECT_EQ(array.Count(), 0u);
  EXPECT_EQ(array.Capacity(), 0u);

  for (std::uint32_t i = 0; i < 32; ++i) {
    ASSERT_EQ(array.Append(MakeItem<TypeParam>(i)), i);
  }
  allocator.FailNext();
  EXPECT_FALSE(array.MakeRoom());
  EXPECT_EQ(array.Capacity(), 32u);
  this->ExpectItems(array, 32);
  allocator.FailNext();
  EXPECT_EQ(array.Append(MakeItem<TypeParam>(32)), GrowableArray<TypeParam>::kAppendFailed);
  this->ExpectItems(array, 32);
  // Once memory is there again the same growth succeeds and keeps the items.
  EXPECT_EQ(array.Append(MakeItem<TypeParam>(32)), 32u);
  EXPECT_EQ(array.Capacity(), 50u);
  this->ExpectItems(array, 33);
  EXPECT_EQ(allocator.Failures(), 3);
}

TYPED_TEST(GrowableArrayTest, CapacityLimitIsNeverPassed) {
  GrowableArray<TypeParam> array;
  array.SetCapacityLimit(40);
  for (std::uint32_t i = 0; i < 40; ++i) {
    ASSERT_EQ(array.Append(MakeItem<TypeParam>(i)), i);
  }
  EXPECT_EQ(array.Capacity(), 40u) << "growth is cut to the limit, not refused early";
  EXPECT_FALSE(array.MakeRoom());
  EXPECT_EQ(array.Append(MakeItem<TypeParam>(40)), GrowableArray<TypeParam>::kAppendFailed);
  this->ExpectItems(array, 40);
}

}  // namespace
}  // namespace quillex
