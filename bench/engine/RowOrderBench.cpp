// The list's engine work without a widget: sorting the row order, the list
// search's matching loop and the selection's bits, over a million and ten
// million results.
//   engine_bench --benchmark_filter='RowOrder|ListSearch|RowSelection'

// Standard library
#include <cstdint>
#include <numeric>
#include <vector>

#include <benchmark/benchmark.h>

// Ours
#include "engine/SyntheticResults.h"
#include "views/ListSearch.h"
#include "views/RowOrder.h"
#include "views/RowSelection.h"

namespace quillex {
namespace {

std::vector<std::uint32_t> StoreOrder(std::uint32_t count) {
  std::vector<std::uint32_t> rows(count);
  std::iota(rows.begin(), rows.end(), 0u);
  return rows;
}

// A sort from another column's order, as a user switching columns makes it.
void SortBench(benchmark::State& state, ResultColumn column, ResultColumn from) {
  const auto count = static_cast<std::uint32_t>(state.range(0));
  bench::MillionResults& f = bench::SharedResults(count);
  std::vector<std::uint32_t> rows = StoreOrder(count);
  const std::vector<std::uint32_t> start = SortedRowOrder(f.store, f.map, rows, from, 1);
  std::vector<std::uint32_t> shuffled(count);
  for (std::uint32_t k = 0; k < count; ++k) {
    shuffled[k] = rows[start[k]];
  }
  for (auto _ : state) {
    const std::vector<std::uint32_t> order = SortedRowOrder(f.store, f.map, shuffled, column, 1);
    benchmark::DoNotOptimize(order.data());
  }
  state.counters["rows"] = count;
}

void BM_RowOrderText(benchmark::State& state) {
  SortBench(state, ResultColumn::Text, ResultColumn::FilePos);
}
BENCHMARK(BM_RowOrderText)->Arg(1'000'000)->Arg(10'000'000)->Unit(benchmark::kMillisecond);

void BM_RowOrderFilePos(benchmark::State& state) {
  SortBench(state, ResultColumn::FilePos, ResultColumn::Text);
}
BENCHMARK(BM_RowOrderFilePos)->Arg(1'000'000)->Arg(10'000'000)->Unit(benchmark::kMillisecond);

void BM_RowOrderId(benchmark::State& state) {
  SortBench(state, ResultColumn::Id, ResultColumn::Text);
}
BENCHMARK(BM_RowOrderId)->Arg(1'000'000)->Unit(benchmark::kMillisecond);

// "e" matches a little over half the rows.
void BM_ListSearchHalf(benchmark::State& state) {
  const auto count = static_cast<std::uint32_t>(state.range(0));
  bench::MillionResults& f = bench::SharedResults(count);
  const std::vector<std::uint32_t> rows = StoreOrder(count);
  const ListSearch search("e");
  std::size_t matches = 0;
  for (auto _ : state) {
    matches = search.MatchingRows(f.store, rows).size();
  }
  state.counters["matches"] = static_cast<double>(matches);
}
BENCHMARK(BM_ListSearchHalf)->Arg(1'000'000)->Arg(10'000'000)->Unit(benchmark::kMillisecond);

// Selecting half the rows, reading them back in display order, clearing.
void BM_RowSelectionHalf(benchmark::State& state) {
  const auto count = static_cast<std::uint32_t>(state.range(0));
  const std::vector<std::uint32_t> rows = StoreOrder(count);
  std::vector<std::uint32_t> half;
  for (std::uint32_t row = 0; row < count; row += 2) {
    half.push_back(row);
  }
  RowSelection selection;
  selection.Resize(count);
  for (auto _ : state) {
    selection.SelectRows(rows, half);
    const std::vector<std::uint32_t> selected = selection.SelectedResults(rows);
    benchmark::DoNotOptimize(selected.data());
    selection.Clear();
  }
}
BENCHMARK(BM_RowSelectionHalf)->Arg(1'000'000)->Arg(10'000'000)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace quillex
