// Find, Save and Copy over a million results. Run offscreen:
//   gui_bench --benchmark_filter='Find|Save|Copy'

// Standard library
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>

// Qt
#include <QApplication>
#include <QClipboard>
#include <QItemSelectionModel>

#include <benchmark/benchmark.h>

// Ours
#include "engine/SyntheticResults.h"
#include "scan/SectionMap.h"
#include "store/ResultStore.h"
#include "views/AdvancedWriter.h"
#include "views/OutputFormats.h"
#include "views/SaveResults.h"
#include "views/gui/Cp1252Text.h"
#include "views/gui/Find.h"
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

struct ShownList {
  explicit ShownList(Fixture& f) : model(f.store, f.map), list(model) {
    list.resize(800, 600);
    list.show();
    model.Fill();
    QApplication::processEvents();
  }
  ResultListModel model;
  ResultList list;
};

void BM_SaveAdvanced(benchmark::State& state) {
  Fixture& f = Shared();
  ShownList shown(f);
  const std::string path =
      (std::filesystem::temp_directory_path() / "quillex-bench-save.txt").string();
  for (auto _ : state) {
    const WriterSource source{.store = f.store, .map = f.map, .rows = shown.model.DisplayOrder()};
    if (SaveResults(path, *FindOutputFormat(kAdvancedLayoutName), source) != SaveResult::Ok) {
      state.SkipWithError("save failed");
      break;
    }
  }
  state.counters["bytes"] = static_cast<double>(std::filesystem::file_size(path));
  std::filesystem::remove(path);
}
BENCHMARK(BM_SaveAdvanced)->Unit(benchmark::kMillisecond);

// What the Copy command does with every row selected: collect the rows,
// build the text and hand it to the clipboard.
void BM_CopyAllRows(benchmark::State& state) {
  Fixture& f = Shared();
  ShownList shown(f);
  shown.list.selectAll();
  for (auto _ : state) {
    const std::vector<std::uint32_t> rows = shown.list.SelectedRowsInDisplayOrder();
    const std::string text = AdvancedWriter::CopyText(rows, f.store, f.map);
    QApplication::clipboard()->setText(BytesToQString(text));
    benchmark::DoNotOptimize(text.data());
  }
  QApplication::clipboard()->clear();
}
BENCHMARK(BM_CopyAllRows)->Unit(benchmark::kMillisecond);

void ListFindBench(benchmark::State& state, const char* pattern) {
  Fixture& f = Shared();
  ShownList shown(f);
  std::size_t selected = 0;
  for (auto _ : state) {
    state.PauseTiming();
    shown.list.clearSelection();
    shown.list.EnsureVisible(0, true);
    state.ResumeTiming();
    ListFind(pattern, shown.list);
    state.PauseTiming();
    selected = shown.list.SelectedRowsInDisplayOrder().size();
    state.ResumeTiming();
  }
  state.counters["selected"] = static_cast<double>(selected);
}

// About a thousand scattered matches.
void BM_ListFind(benchmark::State& state) {
  ListFindBench(state, "needle");
}
BENCHMARK(BM_ListFind)->Unit(benchmark::kMillisecond);

// Most rows match, in hundreds of thousands of separate runs: the selection
// is built from as many ranges.
void BM_ListFindMost(benchmark::State& state) {
  ListFindBench(state, "e");
}
BENCHMARK(BM_ListFindMost)->Unit(benchmark::kMillisecond);

// One Find in the running text: from the start to the first occurrence and
// then on from one occurrence to the next, far into the text.
void BM_TextFind(benchmark::State& state) {
  Fixture& f = Shared();
  NormalView view;
  view.resize(800, 600);
  view.show();
  ShowRunningText(view, f.store.Pool());
  QApplication::processEvents();
  for (auto _ : state) {
    state.PauseTiming();
    view.SetSelection(0, 0);
    state.ResumeTiming();
    TextFind("needle", view);
  }
  state.counters["bytes"] = static_cast<double>(view.TextSize());
}
BENCHMARK(BM_TextFind)->Unit(benchmark::kMillisecond);

// A Find that finds nothing reads the whole text (about 33 MB): the slowest
// Find there is. The pattern is made of the commonest letters.
void BM_TextFindNothing(benchmark::State& state) {
  Fixture& f = Shared();
  NormalView view;
  view.resize(800, 600);
  view.show();
  ShowRunningText(view, f.store.Pool());
  QApplication::processEvents();
  for (auto _ : state) {
    TextFind("etaoinshrd", view);
  }
}
BENCHMARK(BM_TextFindNothing)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace quillex
