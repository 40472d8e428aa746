#include "cli/ProgressLine.h"

// Standard library
#include <chrono>
#include <cstdio>
#include <string>

// Third party
#include <gtest/gtest.h>

namespace quillex {
namespace {

using std::chrono::milliseconds;

// What has been written to `file` so far.
std::string Written(std::FILE* file) {
  std::fflush(file);
  std::string text;
  std::rewind(file);
  for (int c = std::fgetc(file); c != EOF; c = std::fgetc(file)) {
    text += static_cast<char>(c);
  }
  return text;
}

TEST(ProgressLine, TextShowsThePercentOfTheBytePassesAndTheCounts) {
  EXPECT_EQ(ProgressLine::Text(37, 100, 12, 3), "Scanning... 36%  AN: 12  UN: 3");
  EXPECT_EQ(ProgressLine::Text(0, 100, 0, 0), "Scanning... 0%  AN: 0  UN: 0");
  // The byte passes never reach 100: the resource pass is the last percent.
  EXPECT_EQ(ProgressLine::Text(100, 100, 4000000000u, 5), "Scanning... 99%  AN: 4000000000  UN: 5");
  EXPECT_EQ(ProgressLine::Text(0, 0, 0, 0), "Scanning... 0%  AN: 0  UN: 0");
  // Sizes far beyond any file: no overflow, still below 100.
  const std::uint64_t huge = ~std::uint64_t{0};
  EXPECT_EQ(ProgressLine::Text(huge, huge, 1, 1), "Scanning... 98%  AN: 1  UN: 1");
  EXPECT_EQ(ProgressLine::Text(huge / 2, huge, 1, 1), "Scanning... 49%  AN: 1  UN: 1");
}

TEST(ProgressLine, QuietForHalfASecondThenAtMostTenTimesASecond) {
  std::FILE* file = std::tmpfile();
  ASSERT_NE(file, nullptr);
  const ProgressLine::Clock::time_point start{};
  ProgressLine line(file, true, start);
  line.Update(10, 100, 1, 0, start + milliseconds(100));
  line.Update(20, 100, 2, 0, start + milliseconds(500));
  line.Clear();  // nothing drawn, nothing to erase
  EXPECT_EQ(Written(file), "");

  line.Update(30, 100, 3, 1, start + milliseconds(501));
  line.Update(40, 100, 4, 1, start + milliseconds(550));  // too soon after the last
  line.Update(50, 100, 5, 2, start + milliseconds(601));
  EXPECT_EQ(Written(file),
            "\rScanning... 29%  AN: 3  UN: 1\x1b[K\rScanning... 49%  AN: 5  UN: 2\x1b[K");
  line.Clear();
  line.Clear();
  EXPECT_EQ(Written(file),
            "\rScanning... 29%  AN: 3  UN: 1\x1b[K\rScanning... 49%  AN: 5  UN: 2\x1b[K\r\x1b[K");
  std::fclose(file);
}

TEST(ProgressLine, NeverDrawsWhenDisabled) {
  std::FILE* file = std::tmpfile();
  ASSERT_NE(file, nullptr);
  const ProgressLine::Clock::time_point start{};
  ProgressLine line(file, false, start);
  for (int ms = 0; ms < 3000; ms += 50) {
    line.Update(static_cast<std::uint64_t>(ms), 3000, 1, 1, start + milliseconds(ms));
  }
  line.Clear();
  EXPECT_EQ(Written(file), "");
  std::fclose(file);
}

}  // namespace
}  // namespace quillex
