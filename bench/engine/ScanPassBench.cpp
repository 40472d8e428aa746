// Speed of the byte passes against a plain read of the same data.
//
// The data is the file named by QUILLEX_BENCH_FILE, or else the first 64 MiB
// of the machine's shared libraries (real binaries: code, data, tables and
// strings), written once to a temporary file so the file benchmarks read it
// from the page cache.
//
//   QUILLEX_BENCH_FILE=/path/to/file build/bench/engine_bench --benchmark_filter=Pass

// Standard library
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

// POSIX
#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

// Third party
#include <benchmark/benchmark.h>

// Ours
#include "platform/InputFile.h"
#include "scan/AnsiScanner.h"
#include "scan/ResourceScanner.h"
#include "scan/ScanDriver.h"
#include "scan/ScanHost.h"
#include "scan/SectionMap.h"
#include "scan/UnicodeScanner.h"
#include "support/PeBuilder.h"

namespace quillex {
namespace {

constexpr std::size_t kSampleSize = 64u << 20;

struct Sample {
  std::string path;
  std::vector<std::uint8_t> bytes;
  bool temporary = false;

  Sample() {
    if (const char* named = std::getenv("QUILLEX_BENCH_FILE"); named != nullptr) {
      path = named;
      std::ifstream in(path, std::ios::binary);
      bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
      return;
    }
    std::vector<std::filesystem::path> libraries;
    std::error_code error;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(
             "/usr/lib", std::filesystem::directory_options::skip_permission_denied, error)) {
      if (entry.is_regular_file(error) && entry.path().string().find(".so") != std::string::npos) {
        libraries.push_back(entry.path());
      }
    }
    std::sort(libraries.begin(), libraries.end());
    for (const auto& library : libraries) {
      std::ifstream in(library, std::ios::binary);
      bytes.insert(bytes.end(), std::istreambuf_iterator<char>(in),
                   std::istreambuf_iterator<char>());
      if (bytes.size() >= kSampleSize)
        break;
    }
    bytes.resize(std::min(bytes.size(), kSampleSize));
    path = (std::filesystem::temp_directory_path() / "quillex-pass-bench.bin").string();
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
    temporary = true;
  }
  ~Sample() {
    if (temporary)
      std::remove(path.c_str());
  }
};

const Sample& TheSample() {
  static const Sample sample;
  return sample;
}

class SilentHost : public ScanHost {
 public:
  void ShowCount(StringKind, std::uint32_t) override {}
  bool ScanPump() override { return true; }
  void WarnDamagedResources() override { ++warnings; }
  void ReportOpenFailure(const std::string&, const std::string&) override {}

  std::uint64_t warnings = 0;
};

struct Setup {
  CharClassTable table;
  FilterCriteria criteria;
  Setup() { table.RestoreDefaults(); }
};

// The floor: reading the file in 256 KiB chunks and touching nothing.
void BM_ReadLoop(benchmark::State& state) {
  const Sample& sample = TheSample();
  std::vector<std::uint8_t> buffer(16 * kReadBlockSize);
  for (auto _ : state) {
    InputFile file;
    if (!file.Open(sample.path))
      state.SkipWithError("cannot open the sample");
    while (file.Read(buffer.data(), buffer.size()) != 0) {
      benchmark::DoNotOptimize(buffer.data());
    }
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * sample.bytes.size()));
}
BENCHMARK(BM_ReadLoop)->Unit(benchmark::kMillisecond);

// One pass over the data in memory, in 16 KiB blocks, results into a store.
template <class Scanner>
void BM_Pass(benchmark::State& state) {
  const Sample& sample = TheSample();
  const Setup setup;
  std::vector<char> text(setup.criteria.maxLength + 2);
  for (auto _ : state) {
    ResultStore store;
    store.Pool().SetByteStep(1u << 20);
    store.Pool().SetIndexStep(1u << 16);
    Scanner scanner(setup.table, setup.criteria, text, store);
    const std::span<const std::uint8_t> all(sample.bytes);
    for (std::size_t at = 0; at < all.size(); at += kReadBlockSize) {
      scanner.Scan(all.subspan(at, std::min(kReadBlockSize, all.size() - at)));
    }
    scanner.Finish();
    benchmark::DoNotOptimize(scanner.Count());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * sample.bytes.size()));
}
BENCHMARK(BM_Pass<AnsiScanner>)->Name("BM_AnsiPass")->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Pass<UnicodeScanner>)->Name("BM_UnicodePass")->Unit(benchmark::kMillisecond);

// The whole scan of the file: map, three passes, store; the argument is the
// size of each read.
void BM_WholeScan(benchmark::State& state) {
  const Sample& sample = TheSample();
  ScanEngine engine;
  engine.table.RestoreDefaults();
  engine.store.Pool().SetByteStep(1u << 20);
  engine.store.Pool().SetIndexStep(1u << 16);
  SilentHost host;
  ScanOptions options;
  options.readSize = static_cast<std::size_t>(state.range(0));
  for (auto _ : state) {
    const ScanReport report = RunScan(sample.path, engine, host, options);
    benchmark::DoNotOptimize(report.ansiCount);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * sample.bytes.size()));
}
BENCHMARK(BM_WholeScan)
    ->Arg(kReadBlockSize)
    ->Arg(4 * kReadBlockSize)
    ->Arg(16 * kReadBlockSize)
    ->Arg(64 * kReadBlockSize)
    ->Unit(benchmark::kMillisecond);

// A hostile image: 8 MiB, 65,535 section headers all named ".rsrc" and all
// covering the same 5.5 MiB, which hold one string table of 16 strings. The
// pass reads those bytes once and walks them once per section.
void BM_ResourcePassManySections(benchmark::State& state) {
  constexpr std::size_t kSections = 65535;
  constexpr std::size_t kFileSize = std::size_t{8} << 20;
  std::vector<std::u16string> strings;
  for (int j = 0; j < 16; ++j) {
    strings.push_back(u"string number " + std::u16string(1, static_cast<char16_t>(u'a' + j)));
  }
  testing::ResourceTree tree;
  tree.AddStrings(1, strings);
  testing::PeBuilder pe;
  for (std::size_t i = 0; i < kSections; ++i) {
    pe.AddSection(".rsrc", 0x10000, {});
  }
  const std::uint32_t rawStart = (pe.RawStart(0) + 0xFFF) & ~0xFFFu;
  for (std::size_t i = 0; i < kSections; ++i) {
    pe.At(i).rawStart = rawStart;
    pe.At(i).rawSize = static_cast<std::uint32_t>(kFileSize - rawStart);
  }
  std::vector<std::uint8_t> image = pe.Build();
  const std::vector<std::uint8_t> rsrc = tree.Build(0x10000).bytes;
  image.resize(kFileSize);
  std::copy(rsrc.begin(), rsrc.end(), image.begin() + rawStart);
  const std::string path =
      (std::filesystem::temp_directory_path() / "quillex-bench-sections.exe").string();
  testing::WriteBytes(path, image);

  const Setup setup;
  std::vector<char> text(setup.criteria.maxLength + 2);
  SilentHost host;
  for (auto _ : state) {
    InputFile file;
    if (!file.Open(path))
      state.SkipWithError("cannot open the image");
    SectionMap map;
    map.Read(file);
    ResultStore store;
    ResourceScanner scanner(setup.table, setup.criteria, text, store, host);
    scanner.Run(file, map);
    if (store.Count() != kSections * 16)
      state.SkipWithError("wrong number of rows");
  }
  std::filesystem::remove(path);
}
BENCHMARK(BM_ResourcePassManySections)->Unit(benchmark::kMillisecond);

// The tables that only the resource pass's budget over the whole pass keeps
// short: one small section whose tree is a diamond of 20 levels (two entries
// leading to the same next directory) under type 6, listed by every header.
// The first argument is the length of the 16 strings that end its paths (0:
// none, the paths end in an empty directory), the second the number of
// headers. The whole scan is timed; the counters give the rows kept, the
// warnings per scan and the process's peak memory so far, so run one case at
// a time to read the last:
//   build/bench/engine_bench --benchmark_filter='RepeatedTree/1024/65535'
// With QUILLEX_BENCH_KEEP_IMAGES set the images stay in the temporary folder
// (quillex-bench-rsrc-*.exe), to be timed with quillex-scan too.
void BM_ResourcePassRepeatedTree(benchmark::State& state) {
  const auto units = static_cast<std::uint32_t>(state.range(0));
  const auto headers = static_cast<std::uint32_t>(state.range(1));
  const std::string name = std::string("quillex-bench-rsrc-") +
                           (units == 0 ? "diamond" : "blocks") + "-" + std::to_string(headers) +
                           ".exe";
  const std::string path = (std::filesystem::temp_directory_path() / name).string();
  testing::WriteBytes(path, testing::RepeatedSectionImage(testing::DiamondTree(20, units, 0x1000),
                                                          0x1000, headers));
  ScanEngine engine;
  engine.table.RestoreDefaults();
  SilentHost host;
  for (auto _ : state) {
    const ScanReport report = RunScan(path, engine, host);
    benchmark::DoNotOptimize(report.resourceCount);
  }
  std::uint32_t rows = 0;
  for (std::uint32_t i = 0; i < engine.store.Count(); ++i) {
    rows += engine.store.Kind(i) == StringKind::Resource ? 1 : 0;
  }
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  state.counters["resourceRows"] = rows;
  state.counters["warnings"] =
      static_cast<double>(host.warnings) / static_cast<double>(state.iterations());
  state.counters["peakMB"] = static_cast<double>(usage.ru_maxrss) / 1024.0;
  if (std::getenv("QUILLEX_BENCH_KEEP_IMAGES") == nullptr) {
    std::filesystem::remove(path);
  }
}
BENCHMARK(BM_ResourcePassRepeatedTree)
    ->Args({0, 2000})
    ->Args({0, 65535})
    ->Args({1024, 1000})
    ->Args({1024, 65535})
    ->Unit(benchmark::kMillisecond);

// The whole scan by each way of running the byte passes (the argument is a
// BytePassMode: 1 sequential, 2 fused, 3 threaded), reads of 64 KiB.
void BM_WholeScanMode(benchmark::State& state) {
  const Sample& sample = TheSample();
  ScanEngine engine;
  engine.table.RestoreDefaults();
  engine.store.Pool().SetByteStep(1u << 20);
  engine.store.Pool().SetIndexStep(1u << 16);
  SilentHost host;
  ScanOptions options;
  options.mode = static_cast<BytePassMode>(state.range(0));
  for (auto _ : state) {
    const ScanReport report = RunScan(sample.path, engine, host, options);
    benchmark::DoNotOptimize(report.ansiCount);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * sample.bytes.size()));
}
BENCHMARK(BM_WholeScanMode)
    ->Arg(static_cast<int>(BytePassMode::Sequential))
    ->Arg(static_cast<int>(BytePassMode::Fused))
    ->Arg(static_cast<int>(BytePassMode::Threaded))
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace
}  // namespace quillex
