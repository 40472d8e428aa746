#include "platform/ThreadPriority.h"

// Standard library
#include <cstdint>
#include <thread>

// Third party
#include <gtest/gtest.h>

// Ours
#include "platform/Tick.h"

namespace quillex {
namespace {

TEST(ThreadPriority, BelongsToTheCallingThreadAlone) {
  // A thread of its own, so that a lowered priority cannot outlive the test
  // when the process may not raise it back.
  const int mine = GetThreadPriority();
  // A new thread starts at its creator's priority, and the least urgent one
  // is 19: the test needs room to lower it by two.
  if (mine > 17) {
    GTEST_SKIP() << "started at nice " << mine << ", too near the least urgent priority";
  }
  int before = 0;
  int lowered = 0;
  int raised = 0;
  bool raisedOk = false;
  std::thread worker([&] {
    before = GetThreadPriority();
    EXPECT_TRUE(SetThreadPriority(before + 2));  // less urgent: always allowed
    lowered = GetThreadPriority();
    raisedOk = SetThreadPriority(before + 2 - kAboveNormalStep);
    raised = GetThreadPriority();
  });
  worker.join();
  EXPECT_EQ(lowered, before + 2);
  // Raising may be refused without privileges; then nothing changes.
  EXPECT_EQ(raised, raisedOk ? before + 1 : before + 2);
  EXPECT_EQ(GetThreadPriority(), mine);
}

TEST(Tick, CountsMillisecondsForwards) {
  const std::uint32_t first = GetTickCount();
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  // Differences are taken modulo 2^32, so a wrap between the readings is harmless.
  const std::uint32_t elapsed = GetTickCount() - first;
  EXPECT_GE(elapsed, 20u);
}

}  // namespace
}  // namespace quillex
