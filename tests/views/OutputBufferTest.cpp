// Standard library
#include <cerrno>
#include <cstddef>
#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

// Ours
#include "platform/OutputStream.h"
#include "views/OutputBuffer.h"

namespace quillex {
namespace {

// The sizes of the writes the buffer hands on, and a write that fails.
std::vector<std::size_t> writes;
int failAfter = -1;
std::ptrdiff_t Counting(int /*fd*/, const void* /*data*/, std::size_t size) {
  if (failAfter == 0) {
    errno = EIO;
    return -1;
  }
  --failAfter;
  writes.push_back(size);
  return static_cast<std::ptrdiff_t>(size);
}

TEST(OutputBuffer, GathersChunksAndKeepsTheFirstError) {
  std::string text;
  {
    OutputBuffer out(text);
    out.Put("abc");
    char* at = out.Reserve(3);
    ASSERT_NE(at, nullptr);
    std::memcpy(at, "def", 3);
    EXPECT_EQ(text, "") << "nothing is handed on before a flush or a full chunk";
    EXPECT_TRUE(out.Flush());
    EXPECT_EQ(text, "abcdef");
    // More than the block holds goes on whole, after what was gathered.
    out.Put("x");
    const std::string huge(OutputBuffer::kChunkSize + OutputBuffer::kSlack + 1, 'h');
    EXPECT_EQ(out.Reserve(huge.size()), nullptr);
    out.Put(huge);
    EXPECT_TRUE(out.Flush());
    EXPECT_EQ(text, "abcdefx" + huge);
  }

  // Lines go out in chunks of at least 64 KiB, not one write each.
  writes.clear();
  failAfter = -1;
  const WriteFunction previous = InstallWriteFunction(&Counting);
  OutputStream stream(-1);
  {
    OutputBuffer out(stream);
    for (int i = 0; i < 20000; ++i) {
      out.Put("a line of text\n");
    }
    EXPECT_TRUE(out.Flush());
  }
  ASSERT_GE(writes.size(), 4u);
  for (std::size_t i = 0; i + 1 < writes.size(); ++i) {
    EXPECT_GE(writes[i], OutputBuffer::kChunkSize) << i;
  }
  EXPECT_EQ(stream.Written(), 20000u * 15);

  // After a failed write nothing more goes out, and the error stays.
  writes.clear();
  failAfter = 1;
  {
    OutputBuffer out(stream);
    const std::string chunk(OutputBuffer::kChunkSize, 'c');
    out.Put(chunk);
    out.Put(chunk);
    out.Put(chunk);
    EXPECT_FALSE(out.Flush());
    EXPECT_EQ(out.Error(), EIO);
    out.Put("more");
    EXPECT_FALSE(out.Flush());
    EXPECT_EQ(out.Error(), EIO);
  }
  EXPECT_EQ(writes.size(), 1u);
  InstallWriteFunction(previous);
}

}  // namespace
}  // namespace quillex
