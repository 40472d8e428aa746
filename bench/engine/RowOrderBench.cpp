// The list's engine work without a widget: sorting the row order (by every
// column, the list's own Length, Section and Tags included), the list search's
// matching loop and the selection's bits, over a million and ten million
// results.
//   engine_bench --benchmark_filter='RowOrder|ListSearch|RowSelection'

// Standard library
#include <cstdint>
#include <numeric>
#include <random>
#include <span>
#include <vector>

#include <benchmark/benchmark.h>

// Ours
#include "engine/SyntheticResults.h"
#include "store/PeHeaders.h"
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
// Without a map of its own, the results are those of a file that is not a PE
// image.
void SortBench(benchmark::State& state, ResultColumn column, ResultColumn from,
               const SectionMap* sections = nullptr, std::span<const TagSet> tags = {}) {
  const auto count = static_cast<std::uint32_t>(state.range(0));
  bench::MillionResults& f = bench::SharedResults(count);
  const SectionMap& map = sections != nullptr ? *sections : f.map;
  std::vector<std::uint32_t> rows = StoreOrder(count);
  const std::vector<std::uint32_t> start = SortedRowOrder(f.store, map, rows, from, 1);
  std::vector<std::uint32_t> shuffled(count);
  for (std::uint32_t k = 0; k < count; ++k) {
    shuffled[k] = rows[start[k]];
  }
  for (auto _ : state) {
    const std::vector<std::uint32_t> order =
        SortedRowOrder(f.store, map, shuffled, column, 1, nullptr, tags);
    benchmark::DoNotOptimize(order.data());
  }
  state.counters["rows"] = count;
}

// Eight sections, out of name order, share the results' positions between
// them, with a gap of headers before the first.
const SectionMap& EightSections(std::uint32_t count) {
  static SectionMap map;
  static std::uint32_t builtFor = 0;
  if (builtFor != count) {
    const bench::MillionResults& f = bench::SharedResults(count);
    const auto last = static_cast<std::uint32_t>(f.store.Position(count - 1));
    const std::uint32_t step = last / 8 + 1;
    std::vector<testing::TestSection> sections;
    const char* names[] = {".text", ".rdata", ".data", ".pdata", "CODE", ".rsrc", ".tls", ".reloc"};
    for (std::uint32_t k = 0; k < 8; ++k) {
      sections.push_back({names[k], 0x1000 * (k + 1), step, 0x400 + k * step});
    }
    map.ReadFromBytes(testing::MakePeHeaders(0x400000, sections));
    builtFor = count;
  }
  return map;
}

void BM_RowOrderLength(benchmark::State& state) {
  SortBench(state, ResultColumn::Length, ResultColumn::Text);
}
BENCHMARK(BM_RowOrderLength)->Arg(1'000'000)->Arg(10'000'000)->Unit(benchmark::kMillisecond);

void BM_RowOrderSection(benchmark::State& state) {
  const auto count = static_cast<std::uint32_t>(state.range(0));
  SortBench(state, ResultColumn::Section, ResultColumn::Text, &EightSections(count));
}
BENCHMARK(BM_RowOrderSection)->Arg(1'000'000)->Arg(10'000'000)->Unit(benchmark::kMillisecond);

// The memory positions of the same image: the same section lookup per row.
void BM_RowOrderMemPos(benchmark::State& state) {
  const auto count = static_cast<std::uint32_t>(state.range(0));
  SortBench(state, ResultColumn::MemPos, ResultColumn::Text, &EightSections(count));
}
BENCHMARK(BM_RowOrderMemPos)->Arg(1'000'000)->Arg(10'000'000)->Unit(benchmark::kMillisecond);

// A fifth of the results tagged, with one of the sets a scan of a program
// shows most (a format string, a path, a URL with its domain, ...).
const std::vector<TagSet>& SomeTags(std::uint32_t count) {
  static std::vector<TagSet> tags;
  if (tags.size() != count) {
    const std::vector<TagSet> sets{
        TagBit(TagId::Format),
        TagBit(TagId::WindowsPath),
        TagBit(TagId::Url) | TagBit(TagId::Domain),
        TagBit(TagId::Domain),
        TagBit(TagId::Registry),
        TagBit(TagId::Guid),
        TagBit(TagId::Base64),
        TagBit(TagId::UnixPath),
        TagBit(TagId::WindowsPath) | TagBit(TagId::Pdb),
        TagBit(TagId::Hash),
    };
    std::mt19937 random(18);
    tags.assign(count, 0);
    for (TagSet& set : tags) {
      if (random() % 5 == 0) {
        set = sets[random() % sets.size()];
      }
    }
  }
  return tags;
}

// By the Tags column's text, from the Text column's order: one lookup of the
// row's set and of the set's place, then a radix pass over 16-bit keys.
void BM_RowOrderTags(benchmark::State& state) {
  const auto count = static_cast<std::uint32_t>(state.range(0));
  SortBench(state, ResultColumn::Tags, ResultColumn::Text, nullptr, SomeTags(count));
}
BENCHMARK(BM_RowOrderTags)->Arg(1'000'000)->Arg(10'000'000)->Unit(benchmark::kMillisecond);

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
