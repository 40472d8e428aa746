// Standard library
#include <cstdint>
#include <numeric>
#include <string>
#include <vector>

// System
#include <fcntl.h>
#include <unistd.h>

#include <benchmark/benchmark.h>

// Ours
#include "platform/OutputStream.h"
#include "scan/SectionMap.h"
#include "store/PoolSteps.h"
#include "store/ResultStore.h"
#include "views/FormatColumn.h"
#include "views/OutputFormats.h"
#include "views/SaveResults.h"

namespace quillex {
namespace {

// Texts of 5 to 40 bytes, the usual size of what a scan finds.
std::vector<std::string> SampleTexts() {
  std::vector<std::string> texts;
  for (int i = 0; i < 64; ++i) {
    texts.push_back(
        std::string(5 + static_cast<std::size_t>(i % 36), static_cast<char>('a' + i % 26)));
  }
  return texts;
}

void FillStore(ResultStore& store, std::int64_t count) {
  static const std::vector<std::string> texts = SampleTexts();
  for (std::int64_t i = 0; i < count; ++i) {
    const auto n = static_cast<std::uint32_t>(i);
    store.AddResult(n * 13, 0, static_cast<std::uint16_t>(n), texts[n % texts.size()].c_str(),
                    StringKind::Ansi);
  }
}

// Adding a scan's worth of results with the desktop program's pool steps.
void BM_AddResult(benchmark::State& state) {
  for (auto _ : state) {
    ResultStore store;
    UseScanPoolSteps(store.Pool());
    FillStore(store, state.range(0));
    benchmark::DoNotOptimize(store.Count());
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_AddResult)->Arg(1 << 20);

// What a sort or a repaint asks of the formatter: every column of every row.
void BM_FormatColumn(benchmark::State& state) {
  ResultStore store;
  FillStore(store, state.range(0));
  SectionMap map;
  char buffer[kFormatBufferSize];
  for (auto _ : state) {
    std::uint32_t total = 0;
    for (std::uint32_t i = 0; i < store.Count(); ++i) {
      for (int column = 0; column < 4; ++column) {
        std::uint32_t length = 0;
        FormatColumn(store, map, buffer, &length, i, static_cast<ResultColumn>(column));
        total += length;
      }
    }
    benchmark::DoNotOptimize(total);
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_FormatColumn)->Arg(1 << 20);

// Writing every row in each output format (0 the advanced layout, then as
// OutputFormats() lists them), as the command line does.
void BM_WriteResults(benchmark::State& state) {
  ResultStore store;
  FillStore(store, 1 << 20);
  SectionMap map;
  std::vector<std::uint32_t> rows(store.Count());
  std::iota(rows.begin(), rows.end(), 0u);
  const OutputFormat& format = OutputFormats()[static_cast<std::size_t>(state.range(0))];
  state.SetLabel(std::string(format.name));
  const int fd = ::open("/dev/null", O_WRONLY);
  for (auto _ : state) {
    OutputStream stream(fd);
    benchmark::DoNotOptimize(
        WriteResults(stream, format, WriterSource{.store = store, .map = map, .rows = rows}));
  }
  ::close(fd);
  state.SetItemsProcessed(state.iterations() * (1 << 20));
}
BENCHMARK(BM_WriteResults)->DenseRange(0, 3);

}  // namespace
}  // namespace quillex
