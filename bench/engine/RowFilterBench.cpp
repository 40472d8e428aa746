// The row filter over the results of a real scan: a literal and two regular
// expressions, on one thread and on two, over every result in store order and
// in the order a sort by text leaves them.
//
// The results come from one scan, as quillex-scan makes it with its default
// options, of the file named by QUILLEX_BENCH_FILE, or else of
// /tmp/quillex-bench-libs-2g.bin (2 GB of shared libraries, about 9.5 million
// results). The benchmarks are skipped when the file is not there.
//
//   build/bench/engine_bench --benchmark_filter=RowFilter --benchmark_repetitions=5
//     --benchmark_report_aggregates_only=true   (one command line)

// Standard library
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <numeric>
#include <string>
#include <vector>

// Third party
#include <benchmark/benchmark.h>

// Ours
#include "scan/ScanDriver.h"
#include "scan/ScanHost.h"
#include "views/RowFilter.h"
#include "views/RowOrder.h"

namespace quillex {
namespace {

class SilentHost : public ScanHost {
 public:
  void ShowCount(StringKind, std::uint32_t) override {}
  bool ScanPump() override { return true; }
  void WarnDamagedResources() override {}
  void ReportOpenFailure(const std::string&, const std::string&) override {}
};

struct ScannedResults {
  std::string path;
  bool loaded = false;
  ScanEngine engine;
  std::vector<std::uint32_t> storeOrder;
  std::vector<std::uint32_t> textOrder;

  ScannedResults() {
    const char* named = std::getenv("QUILLEX_BENCH_FILE");
    path = named != nullptr ? named : "/tmp/quillex-bench-libs-2g.bin";
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error)) {
      return;
    }
    // The command line's engine as its default options leave it.
    engine.table.RestoreDefaults();
    engine.store.Pool().SetByteStep(4 * 1024 * 1024);
    engine.store.Pool().SetIndexStep(0x20000);
    SilentHost host;
    loaded = RunScan(path, engine, host).opened;
    storeOrder.resize(engine.store.Count());
    std::iota(storeOrder.begin(), storeOrder.end(), 0u);
    textOrder = SortedRowOrder(engine.store, engine.map, storeOrder, ResultColumn::Text, 1);
  }
};

const ScannedResults& Results() {
  static const auto results = std::make_unique<ScannedResults>();
  return *results;
}

// Arguments: threads, and 0 for store order or 1 for the text-sorted order.
void FilterBench(benchmark::State& state, const FilterTerms& terms) {
  const ScannedResults& results = Results();
  if (!results.loaded) {
    state.SkipWithError(("no results: cannot scan " + results.path).c_str());
    return;
  }
  const RowFilter filter(terms);
  if (!filter.Ok()) {
    state.SkipWithError(filter.Error().c_str());
    return;
  }
  FilterRun run;
  run.threads = static_cast<unsigned>(state.range(0));
  const std::vector<std::uint32_t>& rows =
      state.range(1) == 0 ? results.storeOrder : results.textOrder;
  FilteredRows filtered;
  for (auto _ : state) {
    filtered = filter.Apply(results.engine.store, rows, run);
    benchmark::DoNotOptimize(filtered.shown.data());
  }
  state.counters["rows"] = static_cast<double>(rows.size());
  state.counters["shown"] = static_cast<double>(filtered.shown.size());
  // What the shown rows' index keeps after the run.
  state.counters["bytes_per_shown"] =
      filtered.shown.empty()
          ? 0.0
          : static_cast<double>(filtered.shown.capacity() * sizeof(std::uint32_t)) /
                static_cast<double>(filtered.shown.size());
}

FilterTerms Terms(const char* pattern, bool regex) {
  FilterTerms terms;
  terms.pattern = pattern;
  terms.regex = regex;
  return terms;
}

void ThreadsAndOrders(benchmark::internal::Benchmark* bench) {
  bench->ArgNames({"threads", "sorted"});
  for (const int sorted : {0, 1}) {
    for (const int threads : {1, 2}) {
      bench->Args({threads, sorted});
    }
  }
  bench->Unit(benchmark::kMillisecond)->UseRealTime();
}

BENCHMARK_CAPTURE(FilterBench, RowFilterHttp, Terms("http", false))->Apply(ThreadsAndOrders);
BENCHMARK_CAPTURE(FilterBench, RowFilterUrlRegex, Terms("https?://[^ ]{4,}", true))
    ->Apply(ThreadsAndOrders);
BENCHMARK_CAPTURE(FilterBench, RowFilterDllExeRegex, Terms("(?i)\\.(dll|exe)$", true))
    ->Apply(ThreadsAndOrders);

}  // namespace
}  // namespace quillex
