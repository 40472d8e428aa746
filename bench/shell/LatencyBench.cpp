// How late a 10 ms timer on the GUI thread fires while the window works on
// ten million results: a scan of a big file with the fill of its views, a
// sort by Text, Find, a Copy of every row, a Save and the running text's
// layout, and the tagging after the scan. Each operation runs once, as the user starts it (a
// command of the Search page); the timer's lateness is its gap beyond 10 ms, and the longest one is
// the longest the window went without handling events.
//
// Run offscreen, on the 2 GB file of shared libraries (about 9.5 M results):
//   QUILLEX_BENCH_FILE=/tmp/quillex-bench-libs-2g.bin latency_bench
// Counters: lateness_max_ms and lateness_p99_ms, the timer's ticks, and the
// operation's time from its start to its result shown (the benchmark's time).

// Standard library
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Qt
#include <QApplication>
#include <QClipboard>
#include <QElapsedTimer>
#include <QTimer>

#include <benchmark/benchmark.h>

// Ours
#include "platform/Dialogs.h"
#include "scan/ScanDriver.h"
#include "shell/ControlIds.h"
#include "shell/FilterRow.h"
#include "shell/MainWindow.h"
#include "shell/SearchPage.h"
#include "store/PoolSteps.h"
#include "views/ResultColumn.h"
#include "views/gui/BackgroundTasks.h"
#include "views/gui/ResultList.h"
#include "views/gui/ResultListModel.h"

namespace quillex {
namespace {

// Answers the Save dialog with a path of its own and keeps boxes unseen.
class BenchDialogs : public DialogService {
 public:
  void MessageBox(void* /*owner*/, std::string_view text, std::string_view /*title*/,
                  std::uint32_t /*style*/) override {
    lastBox = std::string(text);
  }
  std::optional<std::string> OpenFileDialog(void* /*owner*/, std::string_view /*title*/,
                                            const std::vector<FileFilter>& /*filters*/,
                                            std::string_view /*defaultExtension*/,
                                            std::string_view /*initialPath*/) override {
    return std::nullopt;
  }
  std::optional<SaveChoice> SaveFileDialog(void* /*owner*/, std::string_view /*title*/,
                                           const std::vector<FileFilter>& /*filters*/,
                                           std::string_view /*defaultExtension*/,
                                           std::string_view /*initialPath*/) override {
    return SaveChoice{savePath, 0};
  }

  std::string savePath;
  std::string lastBox;
};

// The program's window over its own engine, shown (offscreen) at a usual
// size, kept for every benchmark of the run.
struct Window {
  Window() : window(engine, dialogs) {
    engine.table.RestoreDefaults();
    UseScanPoolSteps(engine.store.Pool());
    window.SetLayoutReady();
    window.resize(1000, 700);
    window.show();
    QApplication::processEvents();
  }
  [[nodiscard]] SearchPage& Search() const { return *window.Search(); }

  ScanEngine engine;
  BenchDialogs dialogs;
  MainWindow window;
};

std::unique_ptr<Window>& SharedWindow() {
  static std::unique_ptr<Window> window;
  if (!window) {
    window = std::make_unique<Window>();
  }
  return window;
}

// Whether work the page started is still under way (its background tasks).
// The tagging after a scan runs beside the list's work and is measured on
// its own: only the operations' own lanes count otherwise.
bool Working(SearchPage& search, bool tagging) {
  if (tagging) {
    return search.Tasks().Busy(TaskKind::Tag);
  }
  return search.Tasks().Busy(TaskLane::List) || search.Tasks().Busy(TaskLane::Text);
}

struct Latency {
  std::vector<double> lateMs;  // per tick: how far past 10 ms it came
  double totalMs = 0;
};

// Starts the operation with a 10 ms timer running on the GUI thread and
// handles events until the operation's result is shown.
Latency Measure(const std::function<void()>& start, SearchPage& search, bool tagging) {
  Latency latency;
  QElapsedTimer clock;
  QTimer timer;
  timer.setTimerType(Qt::PreciseTimer);
  timer.setInterval(10);
  qint64 last = 0;
  // QUILLEX_LATENCY_TRACE=1 names each stall over 50 ms by when it ended and
  // what the status cell said then, to tell which step held the thread.
  static const bool trace = std::getenv("QUILLEX_LATENCY_TRACE") != nullptr;
  const auto tick = [&] {
    const qint64 now = clock.nsecsElapsed();
    const double late = std::max(0.0, static_cast<double>(now - last) / 1e6 - 10.0);
    latency.lateMs.push_back(late);
    last = now;
    if (trace && late > 50.0) {
      std::fprintf(stderr, "stall of %.0f ms ending at %.0f ms, status \"%s\"\n", late,
                   static_cast<double>(now) / 1e6,
                   search.ControlText(kStatusText).toLocal8Bit().constData());
    }
  };
  QObject::connect(&timer, &QTimer::timeout, tick);
  clock.start();
  timer.start();
  start();
  while (Working(search, tagging)) {
    QApplication::processEvents(QEventLoop::WaitForMoreEvents);
  }
  latency.totalMs = static_cast<double>(clock.nsecsElapsed()) / 1e6;
  // The gap still open when the operation ended counts too: an operation
  // that held the thread to its end has no tick after it.
  tick();
  timer.stop();
  return latency;
}

void Report(benchmark::State& state, Latency latency) {
  std::vector<double>& late = latency.lateMs;
  std::sort(late.begin(), late.end());
  const std::size_t p99 = late.empty() ? 0 : (late.size() * 99 + 99) / 100 - 1;
  state.SetIterationTime(latency.totalMs / 1000.0);
  state.counters["lateness_max_ms"] = late.empty() ? 0.0 : late.back();
  state.counters["lateness_p99_ms"] = late.empty() ? 0.0 : late[std::min(p99, late.size() - 1)];
  state.counters["ticks"] = static_cast<double>(late.size());
}

// Runs one operation once and reports its latency. The operations on the
// results are skipped when there are none (the scan did not run).
void Run(benchmark::State& state, const std::function<void(Window&)>& operation,
         bool needsResults = true, bool tagging = false) {
  Window& w = *SharedWindow();
  if (needsResults && w.Search().Model().rowCount() == 0) {
    state.SkipWithError("no results: the scan did not run");
    return;
  }
  for (auto _ : state) {
    Report(state, Measure([&] { operation(w); }, w.Search(), tagging));
  }
  state.counters["rows"] = w.Search().Model().rowCount();
}

void BM_ScanAndFill(benchmark::State& state) {
  const char* file = std::getenv("QUILLEX_BENCH_FILE");
  const std::string path = file != nullptr ? file : "/tmp/quillex-bench-libs-2g.bin";
  if (!std::filesystem::exists(path)) {
    state.SkipWithError("QUILLEX_BENCH_FILE does not name a file");
    return;
  }
  Run(
      state,
      [&](Window& w) {
        w.Search().SetFileName(path);
        w.Search().Command(kGoButton);
      },
      false);
}
BENCHMARK(BM_ScanAndFill)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);

// From the list shown after the scan to its Tags column filled in: the
// tagging on two threads while the window handles events.
void BM_TagsFillIn(benchmark::State& state) {
  Run(
      state, [](Window&) {}, true, true);
}
BENCHMARK(BM_TagsFillIn)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);

void BM_SortByText(benchmark::State& state) {
  Run(state,
      [](Window& w) { w.Search().List()->ClickHeader(static_cast<int>(ResultColumn::Text)); });
}
BENCHMARK(BM_SortByText)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);

void BM_ListFind(benchmark::State& state) {
  Run(state, [](Window& w) {
    w.Search().SetControlText(kFindEdit, QStringLiteral("GLIBC"));
    w.Search().Command(kFindButton);
  });
}
BENCHMARK(BM_ListFind)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);

void BM_CopyAllRows(benchmark::State& state) {
  Run(state, [](Window& w) {
    w.Search().List()->selectAll();
    w.Search().Command(kCopyCommand);
  });
  QApplication::clipboard()->clear();
}
BENCHMARK(BM_CopyAllRows)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);

void BM_Save(benchmark::State& state) {
  const std::string path =
      (std::filesystem::temp_directory_path() / "quillex-latency-save.txt").string();
  SharedWindow()->dialogs.savePath = path;
  Run(state, [](Window& w) { w.Search().Command(kSaveButton); });
  std::error_code ignored;
  state.counters["bytes"] = static_cast<double>(std::filesystem::file_size(path, ignored));
  std::filesystem::remove(path, ignored);
}
BENCHMARK(BM_Save)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);

// The filter row: a literal typed (taken without the typing pause), a sort of
// the rows it shows, and the filter cleared, which replays that sort over
// every row.
void SetFilter(Window& w, const QString& text, bool regex) {
  w.Search().SetChecked(kFilterRegexToggle, regex);
  w.Search().SetControlText(kFilterEdit, text);
  w.Search().Filter().TakeNow();
}

void BM_FilterLiteral(benchmark::State& state) {
  Run(state, [](Window& w) { SetFilter(w, QStringLiteral("http"), false); });
}
BENCHMARK(BM_FilterLiteral)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);

void BM_FilterRegex(benchmark::State& state) {
  Run(state, [](Window& w) { SetFilter(w, QStringLiteral("https?://[^ ]{4,}"), true); });
}
BENCHMARK(BM_FilterRegex)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);

void BM_FilterBroad(benchmark::State& state) {
  Run(state, [](Window& w) { SetFilter(w, QStringLiteral("e"), false); });
}
BENCHMARK(BM_FilterBroad)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);

void BM_SortShownByLength(benchmark::State& state) {
  Run(state,
      [](Window& w) { w.Search().List()->ClickHeader(static_cast<int>(ResultColumn::Length)); });
}
BENCHMARK(BM_SortShownByLength)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);

void BM_FilterCleared(benchmark::State& state) {
  Run(state, [](Window& w) { SetFilter(w, QString(), false); });
}
BENCHMARK(BM_FilterCleared)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);

// The running text shown for the first time: its layout at the view's width.
void BM_NormalViewLayout(benchmark::State& state) {
  Run(state, [](Window& w) {
    w.Search().SetChecked(kAdvancedViewBox, false);
    w.Search().Command(kAdvancedViewBox);
  });
}
BENCHMARK(BM_NormalViewLayout)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace quillex

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  // The window goes before the application does.
  quillex::SharedWindow().reset();
  return 0;
}
