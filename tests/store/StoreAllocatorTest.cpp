#include "store/StoreAllocator.h"

// Standard library
#include <cstddef>
#include <cstdint>
#include <string>

// Third party
#include <gtest/gtest.h>

// Ours
#include "store/FailingAllocator.h"
#include "store/StringPool.h"

namespace quillex {
namespace {

// Every byte of [from, to) of the block is `value`.
bool AllAre(const void* block, std::size_t from, std::size_t to, std::uint8_t value) {
  const auto* bytes = static_cast<const std::uint8_t*>(block);
  for (std::size_t k = from; k < to; ++k) {
    if (bytes[k] != value) {
      return false;
    }
  }
  return true;
}

TEST(StoreAllocator, GrowthKeepsTheOldBytesAndZeroesTheRest) {
  const StoreAllocator& allocator = CurrentStoreAllocator();
  // Small blocks, the step to a mapping of its own, growth of that mapping in
  // place or by moving it, a shrink and a growth over the shrunk part.
  const std::size_t sizes[] = {100, 5000, 3u << 20, (3u << 20) + 10, 9u << 20, 1u << 20, 12u << 20};
  void* block = nullptr;
  std::size_t size = 0;
  for (const std::size_t next : sizes) {
    SCOPED_TRACE(next);
    void* grown = allocator.reallocate(block, size, next);
    ASSERT_NE(grown, nullptr);
    const std::size_t kept = std::min(size, next);
    for (std::size_t k = 0; k < kept; k += 997) {
      ASSERT_EQ(static_cast<std::uint8_t*>(grown)[k], static_cast<std::uint8_t>(k % 251 + 1));
    }
    EXPECT_TRUE(AllAre(grown, kept, next, 0));
    for (std::size_t k = 0; k < next; ++k) {
      static_cast<std::uint8_t*>(grown)[k] = static_cast<std::uint8_t>(k % 251 + 1);
    }
    block = grown;
    size = next;
  }
  allocator.release(block);
  allocator.release(nullptr);
}

TEST(StoreAllocator, BlocksPassBetweenAllocators) {
  // A pool that grew into a mapping under the system allocator goes on
  // growing, and fails on cue, under a test allocator, and is released after
  // it has gone.
  StringPool pool;
  pool.SetByteStep(1u << 20);
  pool.SetIndexStep(1u << 16);  // only the byte buffer grows below
  const std::string text(1000, 'x');
  while (pool.ByteCapacity() < (4u << 20)) {
    ASSERT_GE(pool.Append(text.c_str()), 0);
  }
  {
    testing::FailingAllocator failing;
    while (pool.ByteCapacity() < (8u << 20)) {
      ASSERT_GE(pool.Append(text.c_str()), 0);
    }
    failing.FailAfter(0, true);
    const std::uint32_t count = pool.Count();
    const std::uint32_t capacity = pool.ByteCapacity();
    while (pool.UsedBytes() + text.size() + 1 < capacity) {
      ASSERT_GE(pool.Append(text.c_str()), 0);
    }
    EXPECT_EQ(pool.Append(text.c_str()), -1);
    EXPECT_GT(pool.Count(), count);
  }
  EXPECT_EQ(std::string(pool.Text(pool.Count() - 1)), text);
  EXPECT_TRUE(AllAre(pool.Bytes(), pool.UsedBytes(), pool.ByteCapacity(), 0));
  pool.Release();
}

}  // namespace
}  // namespace quillex
