// The fused and threaded byte passes against the sequential ones: on seeded
// random data with text put around every block, read and ring edge, at
// several block and read sizes and ring depths, with and without stops, the
// store, the counts, the report and the counts shown must be the same.

// Standard library
#include <random>
#include <string>
#include <tuple>
#include <vector>

// Third party
#include <gtest/gtest.h>

// Ours
#include "scan/ScanDriver.h"
#include "scan/ScanTestSupport.h"

namespace quillex {
namespace {

using Bytes = std::vector<std::uint8_t>;
using testing::Found;

// Random bytes, mostly refused, with ANSI and UTF-16 text at random places
// and across the edges of blocks of `edge` bytes.
Bytes SampleData(std::size_t size, std::size_t edge, unsigned seed) {
  std::mt19937 random(seed);
  Bytes bytes(size);
  const char letters[] = "abcdefghijklmnopqrstuvwxyz ABCDEFG0123";
  for (auto& b : bytes) {
    const unsigned roll = random() % 8;
    b = roll < 3 ? 0 : static_cast<std::uint8_t>(random());
  }
  auto putText = [&](std::size_t at, std::size_t length, bool wide) {
    for (std::size_t k = 0; k < length; ++k) {
      const auto c = static_cast<std::uint8_t>(letters[random() % (sizeof letters - 1)]);
      const std::size_t to = wide ? at + 2 * k : at + k;
      if (to + 1 < size) {
        bytes[to] = c;
        if (wide)
          bytes[to + 1] = 0;
      }
    }
    const std::size_t end = wide ? at + 2 * length : at + length;
    for (std::size_t k = end; k < std::min(end + 2, size); ++k)
      bytes[k] = 0;
  };
  for (std::size_t at = 0; at < size; at += 1 + random() % 300) {
    putText(at, 1 + random() % 40, random() % 2 == 0);
  }
  // Every place is an edge of tiny blocks; text there would cover it all.
  const std::size_t step = std::max<std::size_t>(edge, 61);
  for (std::size_t at = step; at < size; at += step) {
    const std::size_t length = 2 + random() % 20;
    const bool wide = random() % 2 == 0;
    putText(at - std::min(at, (wide ? 2 : 1) * (random() % length)), length, wide);
  }
  return bytes;
}

struct Outcome {
  std::vector<Found> found;
  std::uint32_t ansi = 0;
  std::uint32_t unicode = 0;
  std::uint64_t textSize = 0;
  std::vector<testing::FakeHost::Shown> shown;
  int pumps = 0;
};

Outcome ScanWith(const std::string& path, const FilterCriteria& criteria, ScanOptions options,
                 int stopAtPump = 0) {
  ScanEngine engine;
  engine.table = testing::TestTable();
  engine.criteria = criteria;
  testing::FakeHost host;
  host.stopAtPump = stopAtPump;
  const ScanReport report = RunScan(path, engine, host, options);
  return Outcome{testing::Results(engine.store), report.ansiCount, report.unicodeCount,
                 report.totalTextSize,           host.shown,       host.pumps};
}

void ExpectSame(const Outcome& got, const Outcome& want) {
  EXPECT_EQ(got.found, want.found);
  EXPECT_EQ(got.ansi, want.ansi);
  EXPECT_EQ(got.unicode, want.unicode);
  EXPECT_EQ(got.textSize, want.textSize);
  EXPECT_EQ(got.shown, want.shown);
}

// Block size, read size in blocks, ring depth.
using Layout = std::tuple<std::size_t, std::size_t, std::size_t>;

class BytePasses : public ::testing::TestWithParam<Layout> {
 protected:
  ScanOptions Options(BytePassMode mode) const {
    const auto [block, reads, slots] = GetParam();
    ScanOptions options;
    options.blockSize = block;
    options.readSize = block * reads;
    options.threadedReadSize = block * reads;
    options.mode = mode;
    options.readSlots = slots;
    return options;
  }
};

TEST_P(BytePasses, FindExactlyWhatTheSequentialPassesFind) {
  const auto [block, reads, slots] = GetParam();
  const FilterCriteria criteria[] = {testing::Criteria(4), testing::Criteria(1, 7),
                                     testing::Criteria(3, 30, 3), testing::Criteria(8, 1024, 2)};
  for (unsigned seed = 1; seed <= 3; ++seed) {
    const Bytes bytes = SampleData(5000 + 977 * seed + 2 * block * reads * slots, block, seed);
    testing::TempFile file(bytes);
    for (const FilterCriteria& c : criteria) {
      SCOPED_TRACE(::testing::Message() << "seed " << seed << " min " << c.minLength << " max "
                                        << c.maxLength << " repeat " << c.repeatLimit);
      const Outcome want = ScanWith(file.Path(), c, Options(BytePassMode::Sequential));
      ASSERT_FALSE(want.found.empty());
      ASSERT_NE(want.unicode, 0u);
      for (const BytePassMode mode : {BytePassMode::Fused, BytePassMode::Threaded}) {
        const Outcome got = ScanWith(file.Path(), c, Options(mode));
        ExpectSame(got, want);
        EXPECT_EQ(got.pumps * 2, want.pumps);
      }
    }
  }
}

TEST_P(BytePasses, AStopAtAnyBlockKeepsAnAnsiPrefixAndNoUnicode) {
  const auto [block, reads, slots] = GetParam();
  const Bytes bytes = SampleData(3000 + block * reads * slots, block, 7);
  testing::TempFile file(bytes);
  const FilterCriteria criteria = testing::Criteria(3);
  const int blocks = static_cast<int>((bytes.size() + block - 1) / block);
  // Every block for small layouts, a spread of them for large blocks.
  const int step = std::max(1, blocks / 40);
  for (int stop = 1; stop <= blocks + 1; stop += stop <= blocks ? step : 1) {
    SCOPED_TRACE(stop);
    // A stop at a pump the sequential ANSI pass reaches is what the fused
    // passes must match; past the last block both run to the end.
    const Outcome want = ScanWith(file.Path(), criteria, Options(BytePassMode::Sequential),
                                  stop <= blocks ? stop : 0);
    for (const BytePassMode mode : {BytePassMode::Fused, BytePassMode::Threaded}) {
      const Outcome got = ScanWith(file.Path(), criteria, Options(mode), stop);
      ExpectSame(got, want);
      EXPECT_EQ(got.pumps, std::min(stop, blocks));
      if (stop <= blocks) {
        EXPECT_EQ(got.unicode, 0u);
      }
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Layouts, BytePasses,
                         ::testing::Values(Layout{1, 1, 2}, Layout{3, 5, 2}, Layout{7, 3, 3},
                                           Layout{64, 1, 2}, Layout{100, 4, 4}, Layout{1024, 2, 2},
                                           Layout{16384, 4, 4}));

// A host that checks what the passes say about their progress.
class ProgressHost : public testing::FakeHost {
 public:
  void ShowProgress(std::uint64_t bytesDone, std::uint64_t bytesTotal, std::uint32_t ansiSoFar,
                    std::uint32_t unicodeSoFar) override {
    EXPECT_LE(bytesDone, bytesTotal);
    EXPECT_GE(bytesDone, lastDone);
    EXPECT_GE(ansiSoFar, lastAnsi);
    EXPECT_GE(unicodeSoFar, lastUnicode);
    lastDone = bytesDone;
    lastAnsi = ansiSoFar;
    lastUnicode = unicodeSoFar;
    total = bytesTotal;
    ++calls;
    callsBeforePump += calls == pumps + 1 ? 1 : 0;
  }
  std::uint64_t lastDone = 0;
  std::uint64_t total = 0;
  std::uint32_t lastAnsi = 0;
  std::uint32_t lastUnicode = 0;
  int calls = 0;
  int callsBeforePump = 0;
};

TEST(BytePassProgress, GrowsTowardsTheTotalOncePerPump) {
  const Bytes bytes = SampleData(200500, 16384, 11);
  testing::TempFile file(bytes);
  for (const BytePassMode mode :
       {BytePassMode::Sequential, BytePassMode::Fused, BytePassMode::Threaded}) {
    SCOPED_TRACE(static_cast<int>(mode));
    ScanEngine engine;
    engine.table = testing::TestTable();
    engine.criteria = testing::Criteria(4);
    ProgressHost host;
    ScanOptions options;
    options.blockSize = 1000;
    options.readSize = 4000;
    options.threadedReadSize = 4000;
    options.mode = mode;
    const ScanReport report = RunScan(file.Path(), engine, host, options);
    EXPECT_EQ(host.calls, host.pumps);
    EXPECT_EQ(host.callsBeforePump, host.pumps);
    EXPECT_EQ(host.total, bytes.size());
    // The last call comes before the last block; the fused passes have then
    // seen all but that block and found nearly everything.
    if (mode == BytePassMode::Fused) {
      EXPECT_EQ(host.lastDone, bytes.size() - bytes.size() % 1000);
      EXPECT_GT(host.lastUnicode, 0u);
    }
    EXPECT_GT(host.lastDone, 0u);
    EXPECT_LE(host.lastAnsi, report.ansiCount);
    EXPECT_LE(host.lastUnicode, report.unicodeCount);
  }
}

}  // namespace
}  // namespace quillex
