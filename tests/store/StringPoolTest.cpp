// Standard library
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

// Ours
#include "store/FailingAllocator.h"
#include "store/StringPool.h"

namespace quillex {
namespace {

// Checks every invariant the pool promises: the texts in order with no gap,
// UsedBytes their sum, a spare byte after the last NUL, a zero tail.
void ExpectPoolHolds(const StringPool& pool, const std::vector<std::string>& texts) {
  ASSERT_EQ(pool.Count(), texts.size());
  std::uint32_t offset = 0;
  for (std::uint32_t i = 0; i < texts.size(); ++i) {
    ASSERT_NE(pool.Text(i), nullptr);
    ASSERT_EQ(pool.Text(i), pool.Bytes() + offset) << "text " << i << " is not packed";
    ASSERT_STREQ(pool.Text(i), texts[i].c_str()) << "text " << i;
    offset += static_cast<std::uint32_t>(texts[i].size()) + 1;
  }
  EXPECT_EQ(pool.UsedBytes(), offset);
  EXPECT_EQ(pool.Text(pool.Count()), nullptr);
  if (pool.ByteCapacity() != 0) {
    EXPECT_GT(pool.ByteCapacity(), pool.UsedBytes());
    for (std::uint32_t b = pool.UsedBytes(); b < pool.ByteCapacity(); ++b) {
      ASSERT_EQ(pool.Bytes()[b], '\0') << "byte " << b << " past the texts";
    }
  }
  EXPECT_GE(pool.IndexCapacity(), pool.Count());
}

TEST(StringPool, FirstAppendSizesTheBuffer) {
  StringPool pool;
  EXPECT_EQ(pool.Bytes(), nullptr);
  EXPECT_EQ(pool.Text(0), nullptr);
  const std::string text(300, 'q');
  EXPECT_EQ(pool.Append(text.c_str()), 0);
  EXPECT_EQ(pool.ByteCapacity(), 556u) << "256 step + 300, then grown to 256 + 301";
  EXPECT_EQ(pool.UsedBytes(), 301u);
  EXPECT_EQ(pool.IndexCapacity(), 32u);
  ExpectPoolHolds(pool, {text});

  // Byte step 1: the first buffer of n + 1 bytes leaves no spare byte, so it
  // is grown at once to n + 2.
  testing::FailingAllocator allocator;
  StringPool tight;
  tight.SetByteStep(1);
  EXPECT_EQ(tight.Append("hello"), 0);
  EXPECT_EQ(tight.ByteCapacity(), 7u);
  EXPECT_EQ(allocator.Calls(), 3) << "byte buffer, index, byte buffer again";
  ExpectPoolHolds(tight, {"hello"});
}

TEST(StringPool, GrowthFollowsTheStepsAndKeepsTexts) {
  StringPool pool;
  pool.SetByteStep(16);
  pool.SetIndexStep(3);
  std::vector<std::string> texts;
  std::uint64_t capacity = 0;
  std::uint64_t indexCapacity = 0;
  std::uint64_t used = 0;
  for (std::uint32_t i = 0; i < 200; ++i) {
    texts.push_back(std::string(i % 23, static_cast<char>('a' + i % 26)));
    const std::uint64_t n = texts.back().size();
    // The growth rules, modelled independently.
    if (capacity == 0) {
      capacity = 16 + n;
      indexCapacity = 3;
    }
    if (used + n + 1 >= capacity) {
      capacity = 16 + used + n + 1;
    }
    if (i >= indexCapacity) {
      indexCapacity = 3 + i;
    }
    used += n + 1;
    ASSERT_EQ(pool.Append(texts.back().c_str()), static_cast<std::int32_t>(i));
    ASSERT_EQ(pool.ByteCapacity(), capacity) << "after text " << i;
    ASSERT_EQ(pool.IndexCapacity(), indexCapacity) << "after text " << i;
  }
  ExpectPoolHolds(pool, texts);

  // An empty text still gets an index and one byte.
  const std::uint32_t before = pool.UsedBytes();
  EXPECT_EQ(pool.Append(""), 200);
  EXPECT_EQ(pool.UsedBytes(), before + 1);
  EXPECT_STREQ(pool.Text(200), "");
  texts.emplace_back();
  ExpectPoolHolds(pool, texts);

  // Any non-zero byte is text.
  const std::string high = "\x01\x7f\x80\xff";
  EXPECT_EQ(pool.Append(high.c_str()), 201);
  texts.push_back(high);
  ExpectPoolHolds(pool, texts);
}

// A text of known length is stored as if measured: its bytes and a NUL, the
// bytes after it in the caller's buffer left out. TextLength agrees with the
// texts whichever way they came in.
TEST(StringPool, AppendWithLengthAndTextLength) {
  StringPool pool;
  pool.SetByteStep(8);
  pool.SetIndexStep(2);
  const char buffer[] = "abcdefXYZ";
  std::vector<std::string> texts;
  for (std::uint32_t length : {3u, 0u, 6u, 1u, 9u}) {
    ASSERT_EQ(pool.Append(buffer, length), static_cast<std::int32_t>(texts.size()));
    texts.emplace_back(buffer, length);
    ASSERT_EQ(pool.Append(texts.back().c_str()), static_cast<std::int32_t>(texts.size()));
    texts.push_back(texts.back());
  }
  ExpectPoolHolds(pool, texts);
  for (std::uint32_t i = 0; i < texts.size(); ++i) {
    EXPECT_EQ(pool.TextLength(i), texts[i].size()) << "text " << i;
  }
  EXPECT_EQ(pool.TextLength(pool.Count()), 0u);
  // The byte limit counts the NUL as before: 4 + 1 used bytes must stay
  // below the limit, with or without a length.
  StringPool limited;
  limited.SetLimits(6, 0);
  EXPECT_EQ(limited.Append(buffer, 5), -1);
  EXPECT_EQ(limited.Append("abcde"), -1);
  EXPECT_EQ(limited.Append(buffer, 4), 0);
  EXPECT_EQ(limited.Count(), 1u);
  EXPECT_STREQ(limited.Text(0), "abcd");
}

TEST(StringPool, StepsSurviveReleaseAndIgnoreZero) {
  StringPool pool;
  pool.SetByteStep(0);
  pool.SetIndexStep(0);
  EXPECT_EQ(pool.ByteStep(), 256u);
  EXPECT_EQ(pool.IndexStep(), 32u);

  pool.SetByteStep(4194304);
  pool.SetIndexStep(0x20000);
  pool.Append("first");
  pool.Release();
  EXPECT_EQ(pool.Count(), 0u);
  EXPECT_EQ(pool.UsedBytes(), 0u);
  EXPECT_EQ(pool.ByteCapacity(), 0u);
  EXPECT_EQ(pool.IndexCapacity(), 0u);
  EXPECT_EQ(pool.Bytes(), nullptr);
  EXPECT_EQ(pool.Text(0), nullptr);
  pool.Release();  // releasing an empty pool is harmless

  EXPECT_EQ(pool.Append("abcdefg"), 0);
  EXPECT_EQ(pool.ByteCapacity(), 4194304u + 7u);
  EXPECT_EQ(pool.IndexCapacity(), 0x20000u);
  ExpectPoolHolds(pool, {"abcdefg"});
}

TEST(StringPool, FailedGrowthLeavesThePoolUsable) {
  testing::FailingAllocator allocator;
  StringPool pool;
  pool.SetByteStep(8);
  pool.SetIndexStep(2);

  // First use: byte buffer refused, then the index refused.
  allocator.FailNext();
  EXPECT_EQ(pool.Append("abc"), -1);
  ExpectPoolHolds(pool, {});
  EXPECT_EQ(pool.ByteCapacity(), 0u);
  allocator.FailAfter(1);
  EXPECT_EQ(pool.Append("abc"), -1);
  ExpectPoolHolds(pool, {});
  EXPECT_EQ(pool.ByteCapacity(), 0u) << "a half-made first use is undone";

  EXPECT_EQ(pool.Append("abc"), 0);
  EXPECT_EQ(pool.Append("de"), 1);
  const std::uint32_t capacity = pool.ByteCapacity();
  const std::uint32_t indexCapacity = pool.IndexCapacity();

  // A byte growth refused: nothing changes.
  allocator.FailNext();
  EXPECT_EQ(pool.Append("a text longer than the room left"), -1);
  EXPECT_EQ(pool.ByteCapacity(), capacity);
  ExpectPoolHolds(pool, {"abc", "de"});

  // An index growth refused: the byte growth before it may stay, the text
  // does not go in.
  allocator.FailAfter(1);
  EXPECT_EQ(pool.Append("a text longer than the room left"), -1);
  EXPECT_EQ(pool.IndexCapacity(), indexCapacity);
  ExpectPoolHolds(pool, {"abc", "de"});

  EXPECT_EQ(pool.Append("a text longer than the room left"), 2);
  ExpectPoolHolds(pool, {"abc", "de", "a text longer than the room left"});
}

TEST(StringPool, ThirtyTwoBitLimitsRefuseInsteadOfWrapping) {
  StringPool pool;
  pool.SetByteStep(64);
  pool.SetLimits(100, 0);
  std::vector<std::string> texts;
  // 9 texts of 9 bytes + NUL = 90 bytes; the capacity is cut to the limit.
  for (int i = 0; i < 9; ++i) {
    texts.emplace_back(9, static_cast<char>('A' + i));
    ASSERT_EQ(pool.Append(texts.back().c_str()), i);
    ASSERT_LE(pool.ByteCapacity(), 100u);
  }
  EXPECT_EQ(pool.ByteCapacity(), 100u);
  // 90 + 10 would leave no spare byte below the limit.
  EXPECT_EQ(pool.Append("123456789"), -1);
  ExpectPoolHolds(pool, texts);
  // A shorter text still fits: 90 + 9 = 99 < 100.
  EXPECT_EQ(pool.Append("12345678"), 9);
  texts.emplace_back("12345678");
  EXPECT_EQ(pool.Append(""), -1) << "nothing more fits";
  ExpectPoolHolds(pool, texts);

  StringPool counted;
  counted.SetLimits(0, 3);
  EXPECT_EQ(counted.Append("a"), 0);
  EXPECT_EQ(counted.Append("b"), 1);
  EXPECT_EQ(counted.Append("c"), 2);
  EXPECT_EQ(counted.Append("d"), -1);
  ExpectPoolHolds(counted, {"a", "b", "c"});
  counted.Release();
  EXPECT_EQ(counted.Append("e"), 0) << "limits survive Release, the count does not";
}

}  // namespace
}  // namespace quillex
