// quillex-scan against the sequential byte passes, end to end: on PE images
// small and large its standard output, from the passes that share one read,
// must be exactly what Save writes for the sequential scan. (The threaded
// passes start at sizes a test cannot afford; BytePassesTest holds them to
// the sequential ones.)

// Standard library
#include <cstdio>
#include <cstdlib>
#include <numeric>
#include <random>
#include <string>
#include <vector>

// System
#include <fcntl.h>
#include <unistd.h>

#include <gtest/gtest.h>

// Ours
#include "platform/OutputStream.h"
#include "scan/ScanDriver.h"
#include "scan/ScanTestSupport.h"
#include "support/PeBuilder.h"
#include "views/OutputFormats.h"
#include "views/SaveResults.h"

namespace quillex {
namespace {

using testing::Bytes;

class SilentHost : public ScanHost {
 public:
  void ShowCount(StringKind, std::uint32_t) override {}
  bool ScanPump() override { return true; }
  void WarnDamagedResources() override {}
  void ReportOpenFailure(const std::string&, const std::string&) override {}
};

// What Save writes for the sequential scan of `path` with quillex-scan's
// default criteria.
std::string SequentialOutput(const std::string& path) {
  ScanEngine engine;
  engine.table.RestoreDefaults();
  engine.criteria.minLength = 5;
  engine.criteria.maxLength = 1024;
  SilentHost host;
  ScanOptions options;
  options.mode = BytePassMode::Sequential;
  EXPECT_TRUE(RunScan(path, engine, host, options).opened);
  std::vector<std::uint32_t> rows(engine.store.Count());
  std::iota(rows.begin(), rows.end(), 0u);
  testing::TempFile out;
  const int fd = ::open(out.Path().c_str(), O_WRONLY | O_TRUNC);
  OutputStream stream(fd);
  EXPECT_EQ(WriteResults(stream, *FindOutputFormat("text"),
                         WriterSource{.store = engine.store, .map = engine.map, .rows = rows}),
            0);
  ::close(fd);
  std::string text;
  std::FILE* in = std::fopen(out.Path().c_str(), "rb");
  for (int c = std::fgetc(in); c != EOF; c = std::fgetc(in)) {
    text += static_cast<char>(c);
  }
  std::fclose(in);
  return text;
}

std::string ScannerOutput(const std::string& path) {
  const char* scan = std::getenv("QUILLEX_SCAN");
  EXPECT_NE(scan, nullptr);
  std::string text;
  std::FILE* pipe = ::popen((std::string(scan) + " -q '" + path + "'").c_str(), "r");
  EXPECT_NE(pipe, nullptr);
  char buffer[65536];
  for (std::size_t got; (got = std::fread(buffer, 1, sizeof buffer, pipe)) != 0;) {
    text.append(buffer, got);
  }
  EXPECT_EQ(::pclose(pipe), 0);
  return text;
}

// An image whose ".text" holds `size` bytes of random binary with ANSI and
// UTF-16 text, and a string table.
Bytes Image(std::size_t size, unsigned seed) {
  std::mt19937 random(seed);
  Bytes text(size);
  for (auto& b : text) {
    b = random() % 3 == 0 ? 0 : static_cast<std::uint8_t>(random());
  }
  for (std::size_t at = 0; at + 80 < size; at += 40 + random() % 2000) {
    const bool wide = random() % 3 == 0;
    const std::size_t length = 4 + random() % 30;
    for (std::size_t k = 0; k < length; ++k) {
      const auto c = static_cast<std::uint8_t>('a' + random() % 26);
      if (wide) {
        text[at + 2 * k] = c;
        text[at + 2 * k + 1] = 0;
      } else {
        text[at + k] = c;
      }
    }
  }
  testing::ResourceTree tree;
  tree.AddStrings(1, {u"first resource", u"second resource"});
  testing::PeBuilder pe;
  pe.AddSection(".text", 0x1000, text);
  const auto rsrcAt = static_cast<std::uint32_t>(0x1000 + (size + 0xFFF) / 0x1000 * 0x1000);
  pe.AddSection(".rsrc", rsrcAt, tree.Build(rsrcAt).bytes);
  return pe.Build();
}

TEST(ScanPathsCli, OutputIsWhatTheSequentialScanSaves) {
  for (const std::size_t size : {std::size_t{0x200}, std::size_t{300000}, std::size_t{6} << 20}) {
    SCOPED_TRACE(size);
    testing::TempFile file(Image(size, static_cast<unsigned>(size)));
    const std::string expected = SequentialOutput(file.Path());
    ASSERT_NE(expected.find("second resource"), std::string::npos);
    EXPECT_EQ(ScannerOutput(file.Path()), expected);
  }
}

}  // namespace
}  // namespace quillex
