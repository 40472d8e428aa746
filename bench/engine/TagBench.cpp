// Tagging a real scan's results: the whole store on one and on two threads,
// and, for comparison, the same rows put through an RE2::Set of one pattern
// per tag in place of the byte-class prefilter.
//
// The results are those of a scan of QUILLEX_BENCH_FILE, or else of
// /tmp/quillex-bench-libs-2g.bin (2 GB of shared libraries, about 9.5 million
// results), scanned once before the first benchmark; without either file the
// benchmarks are skipped.
//
//   engine_bench --benchmark_filter=Tag --benchmark_repetitions=5
//       --benchmark_report_aggregates_only=true

// Standard library
#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

// Third party
#include <benchmark/benchmark.h>
#include <re2/re2.h>
#include <re2/set.h>

// Ours
#include "scan/ScanDriver.h"
#include "scan/ScanHost.h"
#include "tags/SuffixCache.h"
#include "tags/TagByteClasses.h"
#include "tags/TagMatchers.h"
#include "tags/TagResults.h"
#include "tags/TagTable.h"
#include "tags/Tagger.h"

namespace quillex {
namespace {

class SilentHost : public ScanHost {
 public:
  void ShowCount(StringKind, std::uint32_t) override {}
  bool ScanPump() override { return true; }
  void WarnDamagedResources() override {}
  void ReportOpenFailure(const std::string&, const std::string&) override {}
};

// The scanned store, made once for all benchmarks.
struct ScannedResults {
  std::string path;
  std::unique_ptr<ScanEngine> engine = std::make_unique<ScanEngine>();
  bool ready = false;

  ScannedResults() {
    const char* named = std::getenv("QUILLEX_BENCH_FILE");
    path = named != nullptr ? named : "/tmp/quillex-bench-libs-2g.bin";
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error)) {
      return;
    }
    engine->table.RestoreDefaults();
    engine->store.Pool().SetByteStep(64u << 20);
    engine->store.Pool().SetIndexStep(1u << 20);
    SilentHost host;
    ready = RunScan(path, *engine, host).opened && engine->store.Count() > 0;
  }
};

ScannedResults& Results() {
  static ScannedResults results;
  return results;
}

const Tagger& SharedTagger() {
  static const Tagger tagger;
  return tagger;
}

// The whole store tagged by TagResults; the argument is the number of
// threads.
void BM_TagResults(benchmark::State& state) {
  ScannedResults& results = Results();
  if (!results.ready) {
    state.SkipWithError("no benchmark file (set QUILLEX_BENCH_FILE)");
    return;
  }
  const ResultStore& store = results.engine->store;
  std::vector<TagSet> tags(store.Count());
  const std::atomic<bool> cancel{false};
  TagRunOptions options;
  options.threads = static_cast<unsigned>(state.range(0));
  for (auto _ : state) {
    if (TagResults(SharedTagger(), store, tags, cancel, options) != TagRunStatus::Done) {
      state.SkipWithError("tagging did not finish");
    }
    benchmark::DoNotOptimize(tags.data());
  }
  std::uint64_t tagged = 0;
  for (const TagSet set : tags) {
    tagged += set != 0 ? 1 : 0;
  }
  state.counters["results"] = store.Count();
  state.counters["tagged"] = static_cast<double>(tagged);
  state.SetItemsProcessed(state.iterations() * store.Count());
}
BENCHMARK(BM_TagResults)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime();

// The prefilter alone: the byte classes of every text, which is all that most
// texts cost.
void BM_TagByteClassesOnly(benchmark::State& state) {
  ScannedResults& results = Results();
  if (!results.ready) {
    state.SkipWithError("no benchmark file (set QUILLEX_BENCH_FILE)");
    return;
  }
  const ResultStore& store = results.engine->store;
  for (auto _ : state) {
    unsigned any = 0;
    for (std::uint32_t i = 0; i < store.Count(); ++i) {
      any |= SummarizeBytes(std::string_view(store.Text(i), store.TextLength(i)));
    }
    benchmark::DoNotOptimize(any);
  }
  state.SetItemsProcessed(state.iterations() * store.Count());
}
BENCHMARK(BM_TagByteClassesOnly)->Unit(benchmark::kMillisecond)->UseRealTime();

// One pattern per tag, in TagId order, that every text of the tag matches:
// the RE2::Set stands where the byte classes stand, and the exact matchers
// run for the tags it reports.
const char* const kSetPatterns[kTagCount] = {
    R"((?i)[a-z][a-z0-9+.-]*://)",
    R"([A-Za-z0-9-]\.[A-Za-z]{2})",
    R"(\d\.\d{1,3}\.\d{1,3}\.\d)",
    R"([0-9A-Fa-f]?:[0-9A-Fa-f:]*:)",
    R"([A-Za-z0-9._%+-]@[A-Za-z0-9-]+\.)",
    R"([A-Za-z]:[\\/]|\\\\|%[A-Za-z_][A-Za-z0-9_()]+%\\)",
    R"(/[A-Za-z0-9._]+/)",
    R"((?i)hkey_|HK(?:LM|CU|CR|CC|U)|software\\|system\\|\\registry\\)",
    R"([0-9A-Fa-f]{8}-[0-9A-Fa-f]{4}-[0-9A-Fa-f]{4}-[0-9A-Fa-f]{4}-[0-9A-Fa-f]{12})",
    R"([A-Za-z0-9+/]{20})",
    R"([0-9A-Fa-f]{32})",
    R"(%[-+#0']*[0-9*]*(?:\.[0-9*]*)?(?:hh|ll|I64|I32|[hlLqjztIw])?[diouxXeEfFgGaAcCsSpnZm])",
    R"([A-Za-z-]/[0-9%])",
    R"((?i)\.pdb)",
};

void BM_TagRe2SetPrefilter(benchmark::State& state) {
  ScannedResults& results = Results();
  if (!results.ready) {
    state.SkipWithError("no benchmark file (set QUILLEX_BENCH_FILE)");
    return;
  }
  RE2::Options options;
  options.set_log_errors(false);
  RE2::Set set(options, RE2::UNANCHORED);
  for (const char* pattern : kSetPatterns) {
    if (set.Add(pattern, nullptr) < 0) {
      state.SkipWithError("a pattern did not compile");
      return;
    }
  }
  if (!set.Compile()) {
    state.SkipWithError("the set did not compile");
    return;
  }
  const ResultStore& store = results.engine->store;
  const Tagger& tagger = SharedTagger();
  SuffixCache cache;
  MatchContext context{tagger.Suffixes(), cache};
  std::vector<int> matched;
  matched.reserve(kTagCount);
  std::vector<TagSet> tags(store.Count());
  for (auto _ : state) {
    for (std::uint32_t i = 0; i < store.Count(); ++i) {
      const std::string_view text(store.Text(i), store.TextLength(i));
      unsigned found = 0;
      if (set.Match(text, &matched)) {
        for (const int tag : matched) {
          const TagInfo& info = TagTable()[static_cast<std::size_t>(tag)];
          found |= info.matcher(text, context) ? TagBit(info.id) : 0u;
        }
      }
      tags[i] = static_cast<TagSet>(found);
    }
    benchmark::DoNotOptimize(tags.data());
  }
  state.SetItemsProcessed(state.iterations() * store.Count());
}
BENCHMARK(BM_TagRe2SetPrefilter)->Unit(benchmark::kMillisecond)->UseRealTime();

// One exact check both ways, over the rows the prefilter hands to it: the URL
// rule hand-written and as an RE2 pattern of the same shape (a scheme of
// letters at a word's start, "://", then a host, bracket or placeholder).
std::vector<std::uint32_t> UrlCandidates(const ResultStore& store) {
  std::vector<std::uint32_t> rows;
  const TagInfo& url = TagInfoOf(TagId::Url);
  for (std::uint32_t i = 0; i < store.Count(); ++i) {
    const std::string_view text(store.Text(i), store.TextLength(i));
    if (text.size() >= url.shortest && (SummarizeBytes(text) & url.needs) == url.needs) {
      rows.push_back(i);
    }
  }
  return rows;
}

void BM_TagUrlCheckByHand(benchmark::State& state) {
  ScannedResults& results = Results();
  if (!results.ready) {
    state.SkipWithError("no benchmark file (set QUILLEX_BENCH_FILE)");
    return;
  }
  const ResultStore& store = results.engine->store;
  const std::vector<std::uint32_t> rows = UrlCandidates(store);
  SuffixCache cache;
  MatchContext context{SharedTagger().Suffixes(), cache};
  std::size_t found = 0;
  for (auto _ : state) {
    found = 0;
    for (const std::uint32_t i : rows) {
      found += MatchUrl(std::string_view(store.Text(i), store.TextLength(i)), context) ? 1 : 0;
    }
  }
  state.counters["rows"] = static_cast<double>(rows.size());
  state.counters["found"] = static_cast<double>(found);
}
BENCHMARK(BM_TagUrlCheckByHand)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_TagUrlCheckRe2(benchmark::State& state) {
  ScannedResults& results = Results();
  if (!results.ready) {
    state.SkipWithError("no benchmark file (set QUILLEX_BENCH_FILE)");
    return;
  }
  const ResultStore& store = results.engine->store;
  const std::vector<std::uint32_t> rows = UrlCandidates(store);
  const RE2 pattern(R"((?:^|[^A-Za-z0-9+.%-])[A-Za-z][A-Za-z0-9+.-]*://[A-Za-z0-9\[%_/.])");
  std::size_t found = 0;
  for (auto _ : state) {
    found = 0;
    for (const std::uint32_t i : rows) {
      found +=
          RE2::PartialMatch(std::string_view(store.Text(i), store.TextLength(i)), pattern) ? 1 : 0;
    }
  }
  state.counters["rows"] = static_cast<double>(rows.size());
  state.counters["found"] = static_cast<double>(found);
}
BENCHMARK(BM_TagUrlCheckRe2)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
}  // namespace quillex
