// The list with half its rows selected by a Find, at a million and at ten
// million results: the Find itself, then a repaint, a page scroll, sorts,
// Copy and clearing, each with that selection standing. Run offscreen:
//   gui_bench --benchmark_filter='Selection.*/1000000(/|$)' --benchmark_repetitions=3

// Standard library
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// Qt
#include <QApplication>
#include <QClipboard>
#include <QCoreApplication>
#include <QImage>
#include <QScrollBar>

#include <benchmark/benchmark.h>

// Ours
#include "engine/SyntheticResults.h"
#include "views/AdvancedWriter.h"
#include "views/ListSearch.h"
#include "views/gui/Cp1252Text.h"
#include "views/gui/Find.h"
#include "views/gui/ResultList.h"
#include "views/gui/ResultListModel.h"

namespace quillex {
namespace {

constexpr const char* kHalfPattern = "e";

// A shown list over `count` results with the rows matching "e" selected.
struct SelectedList {
  explicit SelectedList(std::uint32_t count)
      : results(bench::SharedResults(count)), model(results.store, results.map), list(model) {
    list.resize(800, 600);
    list.show();
    model.Fill();
    QApplication::processEvents();
    ListFind(kHalfPattern, list);
    list.EnsureVisible(0, true);
    QApplication::processEvents();
    selected = list.SelectedRowsInDisplayOrder().size();
  }
  bench::MillionResults& results;
  ResultListModel model;
  ResultList list;
  std::size_t selected = 0;
  QImage screen{800, 600, QImage::Format_RGB32};
};

SelectedList& Shown(std::uint32_t count) {
  static std::unique_ptr<SelectedList> shown;
  if (!shown || shown->model.rowCount() != static_cast<int>(count)) {
    shown.reset();
    shown = std::make_unique<SelectedList>(count);
    // The widgets must go while the application still exists.
    static const bool released = [] {
      qAddPostRoutine([] { shown.reset(); });
      return true;
    }();
    (void)released;
  }
  return *shown;
}

std::uint32_t Count(const benchmark::State& state) {
  return static_cast<std::uint32_t>(state.range(0));
}

void Counters(benchmark::State& state, const SelectedList& shown) {
  state.counters["rows"] = shown.model.rowCount();
  state.counters["selected"] = static_cast<double>(shown.selected);
}

void BM_SelectionFindHalf(benchmark::State& state) {
  SelectedList& shown = Shown(Count(state));
  for (auto _ : state) {
    state.PauseTiming();
    shown.list.clearSelection();
    shown.list.EnsureVisible(0, true);
    state.ResumeTiming();
    ListFind(kHalfPattern, shown.list);
  }
  shown.selected = shown.list.SelectedRowsInDisplayOrder().size();
  Counters(state, shown);
}
BENCHMARK(BM_SelectionFindHalf)
    ->Arg(1'000'000)
    ->Arg(10'000'000)
    ->Iterations(5)
    ->Unit(benchmark::kMillisecond);

void BM_SelectionRepaint(benchmark::State& state) {
  SelectedList& shown = Shown(Count(state));
  for (auto _ : state) {
    shown.list.render(&shown.screen);
  }
  Counters(state, shown);
}
BENCHMARK(BM_SelectionRepaint)->Arg(1'000'000)->Arg(10'000'000)->Unit(benchmark::kMillisecond);

// A page down (or back up) and the paint of the new page, mid-list.
void BM_SelectionScrollPage(benchmark::State& state) {
  SelectedList& shown = Shown(Count(state));
  QScrollBar* bar = shown.list.verticalScrollBar();
  bar->setValue(bar->maximum() / 2);
  int step = bar->pageStep();
  for (auto _ : state) {
    bar->setValue(bar->value() + step);
    shown.list.render(&shown.screen);
    step = -step;
  }
  Counters(state, shown);
}
BENCHMARK(BM_SelectionScrollPage)->Arg(1'000'000)->Arg(10'000'000)->Unit(benchmark::kMillisecond);

// Each sort reverses the one before it, so every one moves every row.
void SortBench(benchmark::State& state, ResultColumn column) {
  SelectedList& shown = Shown(Count(state));
  int direction = 1;
  for (auto _ : state) {
    shown.model.SortRows(column, direction);
    QApplication::processEvents();
    shown.list.render(&shown.screen);
    direction = -direction;
  }
  Counters(state, shown);
}

void BM_SelectionSortText(benchmark::State& state) {
  SortBench(state, ResultColumn::Text);
}
BENCHMARK(BM_SelectionSortText)->Arg(1'000'000)->Arg(10'000'000)->Unit(benchmark::kMillisecond);

void BM_SelectionSortFilePos(benchmark::State& state) {
  SortBench(state, ResultColumn::FilePos);
}
BENCHMARK(BM_SelectionSortFilePos)->Arg(1'000'000)->Arg(10'000'000)->Unit(benchmark::kMillisecond);

// What the Copy command does: the selected rows in display order, their
// lines, the clipboard.
void BM_SelectionCopy(benchmark::State& state) {
  SelectedList& shown = Shown(Count(state));
  std::size_t bytes = 0;
  for (auto _ : state) {
    const std::vector<std::uint32_t> rows = shown.list.SelectedRowsInDisplayOrder();
    const std::string text = AdvancedWriter::CopyText(rows, shown.results.store, shown.results.map);
    QApplication::clipboard()->setText(BytesToQString(text));
    bytes = text.size();
  }
  QApplication::clipboard()->clear();
  state.counters["bytes"] = static_cast<double>(bytes);
  Counters(state, shown);
}
BENCHMARK(BM_SelectionCopy)->Arg(1'000'000)->Arg(10'000'000)->Unit(benchmark::kMillisecond);

// Clearing the selection and painting the list without it; the Find's
// selection is put back between the runs.
void BM_SelectionClear(benchmark::State& state) {
  SelectedList& shown = Shown(Count(state));
  const std::vector<std::uint32_t> matches =
      ListSearch(kHalfPattern).MatchingRows(shown.results.store, shown.model.DisplayOrder());
  for (auto _ : state) {
    state.PauseTiming();
    shown.list.SelectRows(matches);
    state.ResumeTiming();
    shown.list.clearSelection();
    shown.list.render(&shown.screen);
  }
  shown.list.SelectRows(matches);
  Counters(state, shown);
}
BENCHMARK(BM_SelectionClear)
    ->Arg(1'000'000)
    ->Arg(10'000'000)
    ->Iterations(20)
    ->Unit(benchmark::kMillisecond);

// Filling the list after a scan and painting its first page.
void BM_SelectionFill(benchmark::State& state) {
  SelectedList& shown = Shown(Count(state));
  for (auto _ : state) {
    state.PauseTiming();
    shown.model.ClearRows();
    QApplication::processEvents();
    state.ResumeTiming();
    shown.model.Fill();
    QApplication::processEvents();
    shown.list.render(&shown.screen);
  }
  ListFind(kHalfPattern, shown.list);
  Counters(state, shown);
}
BENCHMARK(BM_SelectionFill)
    ->Arg(1'000'000)
    ->Arg(10'000'000)
    ->Iterations(5)
    ->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace quillex
