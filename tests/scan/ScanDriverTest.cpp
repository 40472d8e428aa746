#include "scan/ScanDriver.h"

// Standard library
#include <cerrno>
#include <string>
#include <vector>

// Third party
#include <gtest/gtest.h>

// Ours
#include "platform/InputFile.h"
#include "scan/ScanTestSupport.h"
#include "support/PeBuilder.h"

namespace quillex {
namespace {

using testing::Bytes;
using testing::Found;
using testing::PeBuilder;
using testing::ResourceTree;

void PutText(Bytes& b, std::size_t at, std::string_view text) {
  for (std::size_t k = 0; k < text.size(); ++k) {
    testing::Put8(b, at + k, static_cast<std::uint8_t>(text[k]));
  }
}

void PutWide(Bytes& b, std::size_t at, std::string_view text) {
  for (std::size_t k = 0; k < text.size(); ++k) {
    testing::Put16(b, at + 2 * k, static_cast<std::uint8_t>(text[k]));
  }
}

class ScanDriver : public ::testing::Test {
 protected:
  ScanDriver() {
    engine.table = testing::TestTable();
    engine.criteria = testing::Criteria(4);
  }

  ScanReport Scan(const Bytes& bytes, const ScanOptions& options = {}) {
    testing::TempFile file(bytes);
    return Scan(file.Path(), options);
  }
  ScanReport Scan(const std::string& path, const ScanOptions& options = {}) {
    ScanReport report = RunScan(path, engine, host, options);
    found = testing::Results(engine.store);
    return report;
  }

  // An image with ANSI and UTF-16 text in ".text" and a string table.
  Bytes Image() {
    ResourceTree tree;
    tree.AddStrings(1, {u"res zero", u"res one"});
    Bytes text(0x200, 0);
    PutText(text, 0x10, "Hello World");
    PutWide(text, 0x40, "Unicode text");
    PeBuilder pe;
    textSection = pe.AddSection(".text", 0x1000, text);
    pe.AddSection(".rsrc", 0x2000, tree.Build(0x2000).bytes);
    textRaw = pe.RawStart(textSection);
    return pe.Build();
  }

  ScanEngine engine;
  testing::FakeHost host;
  std::vector<Found> found;
  std::size_t textSection = 0;
  std::uint64_t textRaw = 0;  // file position of the ".text" data
};

TEST_F(ScanDriver, WholeScanRunsThePassesInOrder) {
  const Bytes image = Image();
  const ScanReport report = Scan(image);
  ASSERT_TRUE(report.opened);

  // Results come pass by pass: ANSI, then Unicode, then resource.
  for (std::size_t i = 1; i < found.size(); ++i) {
    EXPECT_LE(found[i - 1].kind, found[i].kind);
  }
  const std::uint64_t text = textRaw;
  auto has = [this](const Found& f) {
    return std::find(found.begin(), found.end(), f) != found.end();
  };
  EXPECT_TRUE(has({text + 0x10, "Hello World", 0, StringKind::Ansi}));
  EXPECT_TRUE(has({text + 0x40, "Unicode text", 0, StringKind::Unicode}));
  const auto resources = testing::OfKind(found, StringKind::Resource);
  ASSERT_EQ(resources.size(), 2u);
  EXPECT_EQ(resources[1].text, "res one");
  EXPECT_EQ(resources[1].id, 1);

  // The counts match the store and the text size leaves resources out.
  std::uint64_t size = 0;
  for (const Found& f : found) {
    if (f.kind != StringKind::Resource)
      size += f.text.size();
  }
  EXPECT_EQ(report.totalTextSize, size);
  EXPECT_EQ(report.ansiCount, testing::OfKind(found, StringKind::Ansi).size());
  EXPECT_EQ(report.unicodeCount, testing::OfKind(found, StringKind::Unicode).size());
  EXPECT_EQ(report.resourceCount, 2u);
  EXPECT_EQ(host.ShownIn(StringKind::Ansi),
            (std::vector<std::string>{"AN: 0", "AN: " + std::to_string(report.ansiCount)}));
  EXPECT_EQ(host.ShownIn(StringKind::Unicode),
            (std::vector<std::string>{"UN: 0", "UN: " + std::to_string(report.unicodeCount)}));
  EXPECT_EQ(host.ShownIn(StringKind::Resource).back(), "RS: 2");
  EXPECT_EQ(host.fills, 1);
  EXPECT_EQ(host.warnings, 0);
  EXPECT_FALSE(report.readError);
  // The memory positions come from the map the scan read.
  EXPECT_EQ(engine.map.MemoryPosition(text + 0x10), 0x400000u + 0x1010u);
  // One pump per 16 KiB block of the file: both byte passes share one read.
  EXPECT_EQ(host.pumps, static_cast<int>((image.size() + 16383) / 16384));
}

TEST_F(ScanDriver, FailedOpenLeavesEverythingAsItWas) {
  ASSERT_TRUE(Scan(Image()).opened);
  const std::vector<Found> before = found;
  const std::size_t sections = engine.map.Records().size();
  host = {};

  const std::string missing = ::testing::TempDir() + "/quillex-no-such-file";
  ScanReport report = Scan(missing);
  EXPECT_FALSE(report.opened);
  report = Scan(::testing::TempDir());  // a directory opens on Linux but cannot be read
  EXPECT_FALSE(report.opened);
  EXPECT_EQ(host.openFailures,
            (std::vector<std::string>{missing + ": " + ErrorText(ENOENT),
                                      ::testing::TempDir() + ": " + ErrorText(EISDIR)}));
  EXPECT_EQ(found, before);
  EXPECT_EQ(engine.map.Records().size(), sections);
  EXPECT_TRUE(host.shown.empty());
  EXPECT_EQ(host.pumps, 0);
  EXPECT_EQ(host.fills, 0);
}

TEST_F(ScanDriver, EmptyFileAndSecondScan) {
  ASSERT_TRUE(Scan(Image()).opened);
  ASSERT_FALSE(found.empty());
  host = {};
  const ScanReport report = Scan(Bytes{});
  EXPECT_TRUE(report.opened);
  EXPECT_TRUE(found.empty());  // the first scan's results are gone
  EXPECT_TRUE(engine.map.Records().empty());
  EXPECT_EQ(report.totalTextSize, 0u);
  EXPECT_EQ(host.ShownIn(StringKind::Ansi), (std::vector<std::string>{"AN: 0", "AN: 0"}));
  EXPECT_EQ(host.ShownIn(StringKind::Unicode), (std::vector<std::string>{"UN: 0", "UN: 0"}));
  EXPECT_EQ(host.ShownIn(StringKind::Resource), (std::vector<std::string>{"RS: 0"}));
  EXPECT_EQ(host.pumps, 0);
  EXPECT_EQ(host.fills, 1);
}

TEST_F(ScanDriver, StopEndsThePumpingPassesButNotTheResourcePass) {
  // Blocks of 16 bytes. "first" lies in block 0; "abcdefgh" starts in block 1
  // and goes on into block 2, which the stop leaves unexamined: the part seen
  // so far is still tested at the end of the pass.
  Bytes image = Image();
  PutText(image, 4, "first");
  PutText(image, 28, "abcdefgh");
  PutWide(image, 12, "wide");
  for (const BytePassMode mode :
       {BytePassMode::Sequential, BytePassMode::Fused, BytePassMode::Threaded}) {
    SCOPED_TRACE(static_cast<int>(mode));
    ScanOptions options;
    options.blockSize = 16;
    options.readSize = 64;
    options.threadedReadSize = 64;
    options.mode = mode;
    host = {};
    host.stopAtPump = 3;
    const ScanReport report = Scan(image, options);
    ASSERT_TRUE(report.opened);
    EXPECT_EQ(
        testing::OfKind(found, StringKind::Ansi),
        (std::vector<Found>{{4, "first", 0, StringKind::Ansi}, {28, "abcd", 0, StringKind::Ansi}}));
    // No Unicode results, although the passes that share the read have seen
    // "wide" in blocks 0 and 1: the sequential Unicode pass would not have.
    EXPECT_TRUE(testing::OfKind(found, StringKind::Unicode).empty());
    EXPECT_EQ(report.unicodeCount, 0u);
    EXPECT_EQ(host.ShownIn(StringKind::Unicode), (std::vector<std::string>{"UN: 0", "UN: 0"}));
    // The sequential Unicode pass reads its first block and meets the stop.
    EXPECT_EQ(host.pumps, mode == BytePassMode::Sequential ? 4 : 3);
    EXPECT_EQ(testing::OfKind(found, StringKind::Resource).size(), 2u);
    EXPECT_EQ(report.totalTextSize, 9u);
    EXPECT_EQ(host.fills, 1);
  }

  // A stop during the sequential Unicode pass keeps what that pass found
  // before it.
  ScanOptions options;
  options.blockSize = 16;
  options.readSize = 64;
  options.mode = BytePassMode::Sequential;
  const std::size_t blocks = (image.size() + 15) / 16;
  const std::uint64_t wide = textRaw + 0x40;
  host = {};
  host.stopAtPump = static_cast<int>(blocks + wide / 16 + 3);
  Scan(image, options);
  const auto unicode = testing::OfKind(found, StringKind::Unicode);
  ASSERT_FALSE(unicode.empty());
  EXPECT_EQ(unicode.back().position, wide);
  EXPECT_EQ(unicode.back().text, "Unicode text");
  EXPECT_EQ(host.pumps, static_cast<int>(blocks + wide / 16 + 3));
}

TEST_F(ScanDriver, ReadSizeDoesNotChangeWhatIsFound) {
  Bytes image = Image();
  // Text across the 16 KiB edge and the 256 KiB read edge.
  image.resize(300000, 0);
  PutText(image, 16380, "across the block edge");
  PutWide(image, 262140, "across the read edge");
  PutText(image, image.size() - 5, "tail!");
  const ScanReport reference = Scan(image, ScanOptions{16384, 16384, BytePassMode::Sequential});
  const std::vector<Found> expected = found;
  const int pumps = host.pumps;
  EXPECT_EQ(pumps, 2 * ((300000 + 16383) / 16384));
  EXPECT_NE(std::find(expected.begin(), expected.end(),
                      Found{16380, "across the block edge", 0, StringKind::Ansi}),
            expected.end());
  EXPECT_NE(std::find(expected.begin(), expected.end(),
                      Found{262140, "across the read edge", 0, StringKind::Unicode}),
            expected.end());

  for (const BytePassMode mode :
       {BytePassMode::Sequential, BytePassMode::Fused, BytePassMode::Threaded}) {
    for (const ScanOptions options :
         {ScanOptions{16384, 262144, mode, 0, 262144}, ScanOptions{16384, 50000, mode, 0, 50000},
          ScanOptions{7, 700, mode, 0, 700}, ScanOptions{4096, 1, mode, 0, 1}}) {
      host = {};
      const ScanReport report = Scan(image, options);
      EXPECT_EQ(found, expected);
      EXPECT_EQ(report.totalTextSize, reference.totalTextSize);
      const auto block = static_cast<int>(std::max<std::size_t>(options.blockSize, 1));
      const int passes = mode == BytePassMode::Sequential ? 2 : 1;
      EXPECT_EQ(host.pumps, passes * ((300000 + block - 1) / block));
    }
  }
}

TEST_F(ScanDriver, DamagedResourcesWarnOnceAndTheScanCompletes) {
  ResourceTree tree;
  tree.AddStrings(1, {u"good"});
  tree.AddStrings(2, {u"gone"});
  auto layout = tree.Build(0x1000);
  testing::Put32(layout.bytes, layout.dataEntries[1], 0xFFFFFFF0);
  PeBuilder pe;
  pe.AddSection(".rsrc", 0x1000, layout.bytes);
  const ScanReport report = Scan(pe.Build());
  EXPECT_EQ(host.warnings, 1);
  EXPECT_EQ(report.damagedSections, 1u);
  EXPECT_EQ(report.resourceCount, 1u);
  EXPECT_EQ(testing::OfKind(found, StringKind::Resource).size(), 1u);
  EXPECT_EQ(host.fills, 1);
}

// A stop the byte passes saw leaves the resource pass to run whole; one
// requested while the resource pass runs ends it there, keeping its rows.
TEST_F(ScanDriver, StopDuringTheResourcePassEndsItThere) {
  ResourceTree tree;
  for (std::uint16_t block = 1; block <= 3000; ++block)
    tree.AddStrings(block, {u"resource text"});
  PeBuilder pe;
  pe.AddSection(".text", 0x1000, Bytes(0x200, 0));
  pe.AddSection(".rsrc", 0x2000, tree.Build(0x2000).bytes);
  const Bytes image = pe.Build();
  // The byte passes share one read and pump once per 16 KiB block.
  const int bytePumps = static_cast<int>((image.size() + 16383) / 16384);

  const ScanReport whole = Scan(image);
  const std::vector<Found> all = testing::OfKind(found, StringKind::Resource);
  ASSERT_EQ(all.size(), 3000u);
  ASSERT_EQ(whole.resourceCount, 3000u);
  const int resourcePumps = host.pumps - bytePumps;
  ASSERT_GE(resourcePumps, 4) << "the resource pass pumps as it goes";

  // Stopped three quarters into the resource pass: past the section's read,
  // inside its walk.
  host = {};
  host.stopAtPump = bytePumps + resourcePumps * 3 / 4;
  const ScanReport stopped = Scan(image);
  const auto kept = testing::OfKind(found, StringKind::Resource);
  EXPECT_EQ(host.pumps, bytePumps + resourcePumps * 3 / 4);
  ASSERT_FALSE(kept.empty());
  EXPECT_LT(kept.size(), all.size());
  EXPECT_TRUE(std::equal(kept.begin(), kept.end(), all.begin()));
  EXPECT_EQ(stopped.resourceCount, kept.size());
  EXPECT_EQ(host.ShownIn(StringKind::Resource).back(), "RS: " + std::to_string(kept.size()));
  EXPECT_EQ(host.warnings, 0);
  EXPECT_EQ(host.fills, 1);

  // Stopped in the byte passes: the resource pass runs whole, still pumping.
  host = {};
  host.stopAtPump = 1;
  Scan(image);
  EXPECT_EQ(testing::OfKind(found, StringKind::Resource), all);
  EXPECT_EQ(host.pumps, 1 + resourcePumps);
}

TEST(ScanReportText, Format) {
  EXPECT_EQ(FormatScanReport(1234, 1536),
            "Time taken : 1.234 secs    Text size: 1536 bytes (1.50K)");
  EXPECT_EQ(FormatScanReport(5, 0), "Time taken : 0.005 secs    Text size: 0 bytes (0.00K)");
  EXPECT_EQ(FormatScanReport(60000, 1023),
            "Time taken : 60.000 secs    Text size: 1023 bytes (1.00K)");
  // Sizes past 4 GiB are shown in full.
  EXPECT_EQ(FormatScanReport(0xFFFFFFFFu, 5368709120ull),
            "Time taken : 4294967.295 secs    Text size: 5368709120 bytes (5242880.00K)");
}

}  // namespace
}  // namespace quillex
