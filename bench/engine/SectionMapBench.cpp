// The memory position of every result of an image with the largest section
// table a PE image can state: 65,535 sections of 231 bytes, each holding 11
// strings, plus one result per section header (its name), 786,420 results in
// all. Writing the text layout formats one memory position per row, so a
// search of the section table per position made such an image take a quarter
// to half a minute to write.
//
//   build/bench/engine_bench --benchmark_filter=BM_ManySections
//
// With QUILLEX_BENCH_KEEP_IMAGES set the image stays in the temporary folder
// as quillex-bench-many-sections.exe, to be timed with quillex-scan too
// (writing to /dev/null):
//   time build/src/cli/quillex-scan -q --format text IMAGE >/dev/null

// Standard library
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <numeric>
#include <string>
#include <vector>

// POSIX
#include <fcntl.h>
#include <unistd.h>

// Third party
#include <benchmark/benchmark.h>

// Ours
#include "platform/InputFile.h"
#include "platform/OutputStream.h"
#include "scan/ScanDriver.h"
#include "scan/ScanHost.h"
#include "scan/SectionMap.h"
#include "support/PeBuilder.h"
#include "views/OutputFormats.h"
#include "views/SaveResults.h"

namespace quillex {
namespace {

constexpr std::uint32_t kSections = 65535;
constexpr std::uint32_t kStringsPerSection = 11;

class QuietHost : public ScanHost {
 public:
  void ShowCount(StringKind, std::uint32_t) override {}
  bool ScanPump() override { return true; }
  void WarnDamagedResources() override {}
  void ReportOpenFailure(const std::string&, const std::string&) override {}
};

// Each section: 11 strings of 20 characters and a NUL, laid one after
// another in the file (0x200 apart) and in memory (0x1000 apart).
std::vector<std::uint8_t> ManySectionsImage() {
  testing::PeBuilder pe;
  pe.ImageBase(0x400000);
  char text[32];
  for (std::uint32_t i = 0; i < kSections; ++i) {
    testing::Bytes data;
    for (std::uint32_t k = 0; k < kStringsPerSection; ++k) {
      std::snprintf(text, sizeof text, "section%05u text %02u", i, k);
      data.insert(data.end(), text, text + 20);
      data.push_back(0);
    }
    std::snprintf(text, sizeof text, ".s%05u", i);
    pe.AddSection(text, 0x1000 * (i + 1), std::move(data));
  }
  return pe.Build();
}

// The image, scanned once with the default criteria; its store and map are
// what the benchmarks format.
struct ManySections {
  std::string path =
      (std::filesystem::temp_directory_path() / "quillex-bench-many-sections.exe").string();
  ScanEngine engine;
  std::vector<std::uint32_t> rows;
  bool ready = false;

  ManySections() {
    if (!testing::WriteBytes(path, ManySectionsImage())) {
      return;
    }
    engine.table.RestoreDefaults();
    QuietHost host;
    ready = RunScan(path, engine, host).opened && engine.map.Records().size() == kSections;
    rows.resize(engine.store.Count());
    std::iota(rows.begin(), rows.end(), 0u);
  }
  ~ManySections() {
    if (std::getenv("QUILLEX_BENCH_KEEP_IMAGES") == nullptr) {
      std::filesystem::remove(path);
    }
  }
};

ManySections& TheImage() {
  static ManySections image;
  return image;
}

// The search the map did before it had an index: the table in its order.
std::uint64_t LinearMemoryPosition(const SectionMap& map, std::uint64_t filePosition) {
  for (const SectionRecord& record : map.Records()) {
    if (record.rawStart <= filePosition && filePosition < record.rawEnd) {
      return filePosition - record.rawStart + record.memoryStart;
    }
  }
  return filePosition + map.ImageBase();
}

// The argument picks the search: 0 the table in its order, 1 the index. The
// table walk takes about half a minute, so it runs once.
void BM_ManySectionsMemoryPositions(benchmark::State& state) {
  ManySections& image = TheImage();
  if (!image.ready) {
    state.SkipWithError("the image could not be written or scanned");
    return;
  }
  const ResultStore& store = image.engine.store;
  const SectionMap& map = image.engine.map;
  const bool indexed = state.range(0) != 0;
  for (auto _ : state) {
    std::uint64_t sum = 0;
    for (std::uint32_t i = 0; i < store.Count(); ++i) {
      const std::uint64_t position = store.Position(i);
      sum += indexed ? map.MemoryPosition(position) : LinearMemoryPosition(map, position);
    }
    benchmark::DoNotOptimize(sum);
  }
  state.counters["results"] = store.Count();
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * store.Count()));
}
BENCHMARK(BM_ManySectionsMemoryPositions)->Arg(0)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ManySectionsMemoryPositions)->Arg(1)->Unit(benchmark::kMillisecond);

// Reading the map of the image: the headers and the index built over them.
void BM_ManySectionsReadMap(benchmark::State& state) {
  ManySections& image = TheImage();
  InputFile file;
  if (!image.ready || !file.Open(image.path)) {
    state.SkipWithError("the image could not be written or opened");
    return;
  }
  SectionMap map;
  for (auto _ : state) {
    map.Read(file);
    benchmark::DoNotOptimize(map.Records().data());
  }
}
BENCHMARK(BM_ManySectionsReadMap)->Unit(benchmark::kMillisecond);

// All of the text layout, as quillex-scan writes it, to /dev/null.
void BM_ManySectionsWriteText(benchmark::State& state) {
  ManySections& image = TheImage();
  const int fd = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
  if (!image.ready || fd < 0) {
    state.SkipWithError("the image could not be written, or /dev/null opened");
    return;
  }
  const WriterSource source{
      .store = image.engine.store, .map = image.engine.map, .rows = image.rows};
  for (auto _ : state) {
    OutputStream stream(fd);
    if (WriteResults(stream, *FindOutputFormat(kAdvancedLayoutName), source) != 0) {
      state.SkipWithError("a write failed");
    }
  }
  ::close(fd);
  state.counters["results"] = static_cast<double>(image.rows.size());
}
BENCHMARK(BM_ManySectionsWriteText)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace quillex
