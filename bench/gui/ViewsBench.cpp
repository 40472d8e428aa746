// The result views with a million results: filling the list, sorting it,
// building the running text and scrolling it. Run offscreen:
//   gui_bench --benchmark_min_time=0.5

// Standard library
#include <cstdint>
#include <cstdlib>
#include <string>

// Qt
#include <QApplication>
#include <QImage>

#include <benchmark/benchmark.h>

// Ours
#include "engine/SyntheticResults.h"
#include "scan/SectionMap.h"
#include "store/ResultStore.h"
#include "views/gui/NormalView.h"
#include "views/gui/ResultList.h"
#include "views/gui/ResultListModel.h"
#include "views/gui/RunningText.h"

namespace quillex {
namespace {

using Fixture = bench::MillionResults;

Fixture& Shared() {
  return bench::SharedResults();
}

void BM_FillList(benchmark::State& state) {
  Fixture& f = Shared();
  ResultListModel model(f.store, f.map);
  ResultList list(model);
  list.resize(800, 600);
  list.show();
  QImage screen(list.size(), QImage::Format_RGB32);
  for (auto _ : state) {
    state.PauseTiming();
    model.ClearRows();
    QApplication::processEvents();
    state.ResumeTiming();
    model.Fill();
    QApplication::processEvents();
    list.render(&screen);
  }
  state.counters["rows"] = model.rowCount();
}
BENCHMARK(BM_FillList)->Unit(benchmark::kMillisecond);

void SortBench(benchmark::State& state, ResultColumn column, ResultColumn shuffleBy) {
  Fixture& f = Shared();
  ResultListModel model(f.store, f.map);
  ResultList list(model);
  list.resize(800, 600);
  list.show();
  model.Fill();
  QApplication::processEvents();
  QImage screen(list.size(), QImage::Format_RGB32);
  for (auto _ : state) {
    state.PauseTiming();
    // Start from another column's order, as a user switching columns does.
    model.SortRows(shuffleBy, 1);
    QApplication::processEvents();
    state.ResumeTiming();
    model.SortRows(column, 1);
    QApplication::processEvents();
    list.render(&screen);
  }
}

void BM_SortFilePos(benchmark::State& state) {
  SortBench(state, ResultColumn::FilePos, ResultColumn::Text);
}
BENCHMARK(BM_SortFilePos)->Unit(benchmark::kMillisecond);

void BM_SortText(benchmark::State& state) {
  SortBench(state, ResultColumn::Text, ResultColumn::FilePos);
}
BENCHMARK(BM_SortText)->Unit(benchmark::kMillisecond);

void BM_SortId(benchmark::State& state) {
  SortBench(state, ResultColumn::Id, ResultColumn::Text);
}
BENCHMARK(BM_SortId)->Unit(benchmark::kMillisecond);

void BM_FillNormalView(benchmark::State& state) {
  Fixture& f = Shared();
  NormalView view;
  view.resize(800, 600);
  view.show();
  QImage screen(view.size(), QImage::Format_RGB32);
  for (auto _ : state) {
    state.PauseTiming();
    view.Clear();
    state.ResumeTiming();
    ShowRunningText(view, f.store.Pool());
    view.render(&screen);
  }
  state.counters["bytes"] = static_cast<double>(view.TextSize());
  state.counters["lines"] = static_cast<double>(view.LineCount());
}
BENCHMARK(BM_FillNormalView)->Unit(benchmark::kMillisecond);

// One page down and the paint of the new page, far into the text.
void BM_ScrollNormalView(benchmark::State& state) {
  Fixture& f = Shared();
  NormalView view;
  view.resize(800, 600);
  view.show();
  ShowRunningText(view, f.store.Pool());
  view.ScrollLines(static_cast<int>(view.LineCount() / 2));
  view.SetSelection(view.LineStart(view.FirstVisibleLine() + 3),
                    view.LineStart(view.FirstVisibleLine() + 30));
  QImage screen(view.viewport()->size(), QImage::Format_RGB32);
  int step = view.LinesPerPage();
  for (auto _ : state) {
    view.ScrollLines(step);
    view.viewport()->render(&screen);
    step = -step;
  }
}
BENCHMARK(BM_ScrollNormalView)->Unit(benchmark::kMicrosecond);

// The list scrolled a page and painted, far down a million rows.
void BM_ScrollList(benchmark::State& state) {
  Fixture& f = Shared();
  ResultListModel model(f.store, f.map);
  ResultList list(model);
  list.resize(800, 600);
  list.show();
  model.Fill();
  QApplication::processEvents();
  list.EnsureVisible(500000, true);
  QImage screen(list.viewport()->size(), QImage::Format_RGB32);
  int row = 500000;
  int step = list.CountPerPage();
  for (auto _ : state) {
    row += step;
    list.EnsureVisible(row, true);
    list.viewport()->render(&screen);
    step = -step;
  }
}
BENCHMARK(BM_ScrollList)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace quillex

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
