// Standard library
#include <cstdint>
#include <string>

#include <gtest/gtest.h>

// Ours
#include "store/FailingAllocator.h"
#include "store/ResultStore.h"

namespace quillex {
namespace {

// The three containers agree: every result below the count reads back as it
// was added, and nothing stray sits at the count in either array.
void ExpectAgree(const ResultStore& store, std::uint32_t count) {
  ASSERT_EQ(store.Count(), count);
  for (std::uint32_t i = 0; i < count; ++i) {
    EXPECT_EQ(store.Position(i), (std::uint64_t{i} << 32) | (i + 100)) << i;
    EXPECT_EQ(store.Tag(i), (1u << 16) | (i + 1)) << i;
    EXPECT_EQ(std::string(store.Text(i)), "text" + std::to_string(i)) << i;
  }
  EXPECT_EQ(store.Position(count), 0u);
  EXPECT_EQ(store.Tag(count), 0u);
  EXPECT_EQ(store.Kind(count), StringKind::Ansi);
  EXPECT_EQ(store.Id(count), 0u);
  EXPECT_EQ(store.Text(count), nullptr);
}

bool AddNumbered(ResultStore& store, std::uint32_t i) {
  const std::string text = "text" + std::to_string(i);
  return store.AddResult(i + 100, i, static_cast<std::uint16_t>(i + 1), text.c_str(),
                         StringKind::Unicode);
}

TEST(ResultStore, AddAndClear) {
  ResultStore store;
  char buffer[] = "first";
  EXPECT_TRUE(store.AddResult(0x10, 0, 0, buffer, StringKind::Ansi));
  buffer[0] = 'X';  // the store copied the text
  EXPECT_TRUE(store.AddResult(0x20, 1, 4660, "second", StringKind::Resource));
  EXPECT_TRUE(store.AddResult(0xFFFFFFFFu, 0xFFFFu, 65535, "", StringKind::Unicode));

  EXPECT_EQ(store.Count(), 3u);
  EXPECT_STREQ(store.Text(0), "first");
  EXPECT_EQ(store.Tag(0), 0u);
  EXPECT_EQ(store.Position(1), 0x100000020u);
  EXPECT_EQ(store.Tag(1), 135732u);
  EXPECT_EQ(store.Tag(1) / 65536, 2u);
  EXPECT_EQ(store.Kind(1), StringKind::Resource);
  EXPECT_EQ(store.Id(1), 4660u);
  EXPECT_EQ(store.Kind(0), StringKind::Ansi);
  EXPECT_EQ(store.Id(0), 0u);
  EXPECT_STREQ(store.Text(1), "second");
  EXPECT_EQ(store.Tag(2), (1u << 16) | 65535u);
  EXPECT_EQ(store.Kind(2), StringKind::Unicode);
  EXPECT_EQ(store.Id(2), 65535u);
  EXPECT_EQ(store.Position(2), 0xFFFF'FFFFFFFFu);
  EXPECT_STREQ(store.Text(2), "");
  EXPECT_EQ(store.DroppedCount(), 0u);
  // A text of known length: only those bytes are taken.
  EXPECT_TRUE(store.AddResult(0x30, 0, 9, "fourth and more", 6, StringKind::Unicode));
  EXPECT_STREQ(store.Text(3), "fourth");
  EXPECT_EQ(store.TextLength(3), 6u);
  EXPECT_EQ(store.TextLength(1), 6u);
  EXPECT_EQ(store.TextLength(2), 0u);
  EXPECT_EQ(store.TextLength(4), 0u);
  EXPECT_EQ(store.Tag(3), (1u << 16) | 9u);
  EXPECT_EQ(store.Position(3), 0x30u);

  store.Pool().SetByteStep(1000);
  store.Clear();
  EXPECT_EQ(store.Count(), 0u);
  EXPECT_EQ(store.Tag(0), 0u);
  EXPECT_EQ(store.Position(0), 0u);
  EXPECT_EQ(store.Pool().ByteStep(), 1000u) << "Clear keeps the pool's steps";
  EXPECT_TRUE(store.AddResult(1, 0, 0, "again", StringKind::Ansi));
  EXPECT_EQ(store.Pool().ByteCapacity(), 1005u);
}

// Whichever allocation fails (either array's growth, the pool's bytes or its
// index), the result goes nowhere and the store stays whole and usable. The
// steps are set so that the 33rd add makes exactly four allocations.
TEST(ResultStore, RefusedResultGoesIntoNoContainer) {
  testing::FailingAllocator allocator;
  for (int failAt = 0; failAt < 5; ++failAt) {
    ResultStore store;
    store.Pool().SetByteStep(4);
    store.Pool().SetIndexStep(1);
    std::uint32_t count = 0;
    // 32 results fill both arrays' first blocks, so the next add grows all.
    for (; count < 32; ++count) {
      ASSERT_TRUE(AddNumbered(store, count));
    }
    allocator.FailAfter(failAt);
    const bool added = AddNumbered(store, count);
    allocator.Disarm();
    EXPECT_EQ(added, failAt >= 4) << "fail at " << failAt;
    if (added) {
      ++count;
    } else {
      EXPECT_EQ(store.DroppedCount(), 1u) << "fail at " << failAt;
    }
    ExpectAgree(store, count);
    for (std::uint32_t more = 0; more < 40; ++more, ++count) {
      ASSERT_TRUE(AddNumbered(store, count));
    }
    ExpectAgree(store, count);
  }
}

TEST(ResultStore, PoolLimitDropsAndCounts) {
  ResultStore store;
  store.Pool().SetByteStep(16);
  store.Pool().SetLimits(40, 0);
  std::uint32_t count = 0;
  while (AddNumbered(store, count)) {
    ++count;
  }
  EXPECT_EQ(count, 6u) << "six texts of 6 bytes fit below 40";
  EXPECT_EQ(store.DroppedCount(), 1u);
  EXPECT_FALSE(AddNumbered(store, count));
  EXPECT_EQ(store.DroppedCount(), 2u);
  EXPECT_FALSE(store.AddResult(0, 0, 0, "toolong", 6, StringKind::Ansi))
      << "a text of known length meets the same limit";
  EXPECT_EQ(store.DroppedCount(), 3u);
  ExpectAgree(store, count);
  store.Clear();
  EXPECT_EQ(store.DroppedCount(), 0u);
}

}  // namespace
}  // namespace quillex
