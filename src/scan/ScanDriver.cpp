#include "scan/ScanDriver.h"

// Standard library
#include <algorithm>
#include <cinttypes>
#include <cstdio>
#include <memory>
#include <new>
#include <optional>
#include <span>
#include <thread>

// Ours
#include "platform/InputFile.h"
#include "platform/LoadAverage.h"
#include "platform/ThreadPriority.h"
#include "platform/Tick.h"
#include "scan/AnsiScanner.h"
#include "scan/ResourceScanner.h"
#include "scan/ScanHost.h"
#include "scan/UnicodeScanner.h"

namespace quillex {

namespace {

// Appends the results of `aside` to `store` in their order.
void AppendResults(const ResultStore& aside, ResultStore& store) {
  for (std::uint32_t i = 0; i < aside.Count(); ++i) {
    const std::uint64_t position = aside.Position(i);
    store.AddResult(static_cast<std::uint32_t>(position),
                    static_cast<std::uint32_t>(position >> 32), aside.Id(i), aside.Text(i),
                    aside.TextLength(i), aside.Kind(i));
  }
}

// Whether a second core is free enough for the threaded passes. On a machine
// kept busy by other programs a worker that waits for its next read waits for
// a core too, and the threads then take longer than one thread does (half as
// long again at a load of five on two cores); the load average tells that
// case apart cheaply.
bool SecondCoreFree() {
  const unsigned cores = std::thread::hardware_concurrency();
  if (cores < 2) {
    return false;
  }
  const std::optional<double> load = LoadAverage();
  return !load || *load < static_cast<double>(cores) + 1.0;
}

// How the byte passes run, with the buffers they need. Both buffers are
// taken once per scan.
struct BytePassPlan {
  BytePassMode mode = BytePassMode::Fused;
  std::size_t blockSize = 1;
  std::size_t readSize = 1;
  std::size_t slots = 1;
  std::size_t textSize = 0;
  std::unique_ptr<std::uint8_t[]> readBuffer;
  // Two text buffers of textSize bytes, one per pass.
  std::unique_ptr<char[]> textBuffer;

  [[nodiscard]] bool Ready() const { return readBuffer && textBuffer; }
};

// Step 1: opens the file (a failure goes to the host), empties the store and
// reads the section map. Returns false when the file could not be opened.
bool OpenAndMap(const std::string& path, ScanEngine& engine, ScanHost& host, InputFile& file) {
  if (!file.Open(path)) {
    host.ReportOpenFailure(path, ErrorText(file.LastError()));
    return false;
  }
  engine.store.Clear();
  engine.map.Read(file);
  return true;
}

// Step 2: chooses how the byte passes run and takes their buffers. The
// read size is whole blocks, and when that much memory cannot be had a
// single block still serves. The threaded passes read into a ring of a few
// reads, and fall back to the fused ones when that much memory cannot be
// had.
BytePassPlan PlanBytePasses(const ScanOptions& options, std::uint64_t fileSize,
                            std::uint32_t maxLength) {
  BytePassPlan plan;
  plan.mode = options.mode;
  if (plan.mode == BytePassMode::Auto) {
    plan.mode = fileSize >= options.threadedThreshold && SecondCoreFree() ? BytePassMode::Threaded
                                                                          : BytePassMode::Fused;
  }
  const bool threaded = plan.mode == BytePassMode::Threaded;
  plan.blockSize = std::max<std::size_t>(options.blockSize, 1);
  const std::size_t wanted = threaded ? options.threadedReadSize : options.readSize;
  plan.readSize = std::max(wanted / plan.blockSize, std::size_t{1}) * plan.blockSize;
  plan.slots = threaded ? std::max<std::size_t>(options.readSlots, 2) : 1;
  plan.readBuffer.reset(new (std::nothrow) std::uint8_t[plan.slots * plan.readSize]);
  if (!plan.readBuffer && plan.slots != 1) {
    plan.mode = BytePassMode::Fused;
    plan.slots = 1;
    plan.readBuffer.reset(new (std::nothrow) std::uint8_t[plan.readSize]);
  }
  if (!plan.readBuffer && plan.readSize != plan.blockSize) {
    plan.readSize = plan.blockSize;
    plan.readBuffer.reset(new (std::nothrow) std::uint8_t[plan.readSize]);
  }
  plan.textSize = std::size_t{maxLength} + 2;
  plan.textBuffer.reset(new (std::nothrow) char[2 * plan.textSize]);
  return plan;
}

// Step 3: the ANSI and Unicode passes the planned way, with their counts
// shown at the start and end of each. The Unicode results follow the ANSI
// ones in the store; the fused and threaded passes keep them aside until the
// ANSI pass is done, and drop them after a stop. Fills in the report's
// counts, text size and dropped results. Returns true when a stop came.
bool RunBytePasses(InputFile& file, BytePassPlan& plan, ScanEngine& engine, ScanHost& host,
                   ScanReport& report) {
  const bool sequential = plan.mode == BytePassMode::Sequential;
  const std::span<char> ansiText(plan.textBuffer.get(), plan.textSize);
  const std::span<char> unicodeText(plan.textBuffer.get() + (sequential ? 0 : plan.textSize),
                                    plan.textSize);
  ResultStore aside;
  aside.Pool().SetByteStep(engine.store.Pool().ByteStep());
  aside.Pool().SetIndexStep(engine.store.Pool().IndexStep());
  AnsiScanner ansi(engine.table, engine.criteria, ansiText, engine.store);
  UnicodeScanner unicode(engine.table, engine.criteria, unicodeText,
                         sequential ? engine.store : aside);
  const BytePassJob job{file,          {plan.readBuffer.get(), plan.slots * plan.readSize},
                        plan.readSize, plan.blockSize,
                        host,          ansi,
                        unicode};
  host.ShowCount(StringKind::Ansi, 0);
  bool stopped = false;
  bool unicodeKept = true;
  if (sequential) {
    stopped = RunSequentialPasses(job);
  } else {
    ThreadedOutcome outcome = ThreadedOutcome::NoThreads;
    if (plan.mode == BytePassMode::Threaded) {
      outcome = RunThreadedPasses(job);
    }
    if (outcome == ThreadedOutcome::NoThreads) {
      outcome = RunFusedPasses(job) ? ThreadedOutcome::Stopped : ThreadedOutcome::Completed;
    }
    stopped = outcome != ThreadedOutcome::Completed;
    unicodeKept = !stopped;
    host.ShowCount(StringKind::Ansi, ansi.Count());
    host.ShowCount(StringKind::Unicode, 0);
    if (unicodeKept) {
      AppendResults(aside, engine.store);
    }
    report.droppedResults = aside.DroppedCount();
  }
  report.ansiCount = ansi.Count();
  report.unicodeCount = unicodeKept ? unicode.Count() : 0;
  host.ShowCount(StringKind::Unicode, report.unicodeCount);
  report.totalTextSize = ansi.TextSize() + (unicodeKept ? unicode.TextSize() : 0);
  return stopped;
}

// Step 4: the resource pass over every ".rsrc" section. The pump reports a
// stop from the moment it is requested on, so only a stop the byte passes
// never saw can have been requested during the resource pass; one they saw
// leaves the resource pass to run whole.
void RunResourcePass(InputFile& file, const BytePassPlan& plan, ScanEngine& engine, ScanHost& host,
                     bool bytePassesStopped, ScanReport& report) {
  ResourceScanner resources(engine.table, engine.criteria,
                            std::span<char>(plan.textBuffer.get(), plan.textSize), engine.store,
                            host);
  resources.Run(file, engine.map,
                bytePassesStopped ? ResourceScanner::StopRule::RunWhole
                                  : ResourceScanner::StopRule::EndAtStop);
  report.resourceCount = resources.Count();
  report.damagedSections = resources.DamagedSections();
}

}  // namespace

ScanReport RunScan(const std::string& path, ScanEngine& engine, ScanHost& host,
                   const ScanOptions& options) {
  ScanReport report;
  InputFile file;
  if (!OpenAndMap(path, engine, host, file)) {
    return report;
  }
  report.opened = true;
  report.fileIdentity = file.Identity();
  BytePassPlan plan = PlanBytePasses(options, file.Size(), engine.criteria.maxLength);

  // The time covers the passes and the filling of the views.
  const std::uint32_t start = GetTickCount();
  const int savedPriority = GetThreadPriority();
  SetThreadPriority(savedPriority - kAboveNormalStep);
  if (plan.Ready()) {
    const bool stopped = RunBytePasses(file, plan, engine, host, report);
    RunResourcePass(file, plan, engine, host, stopped, report);
  } else {
    report.buffersUnavailable = true;
  }
  SetThreadPriority(savedPriority);
  report.readError = file.HadReadError();
  plan = BytePassPlan();
  file.Close();

  // Step 5: the views and the report.
  host.FillViews();
  report.elapsedMs = GetTickCount() - start;
  report.droppedResults += engine.store.DroppedCount();
  return report;
}

std::string FormatScanReport(std::uint32_t elapsedMs, std::uint64_t totalTextSize) {
  char text[160];
  // The size is shown in full; the kilobytes are the size times 1/1024.
  std::snprintf(text, sizeof text,
                "Time taken : %d.%03u secs    Text size: %" PRIu64 " bytes (%.2fK)",
                static_cast<int>(elapsedMs / 1000u), elapsedMs % 1000u, totalTextSize,
                static_cast<double>(totalTextSize) * (1.0 / 1024.0));
  return text;
}

}  // namespace quillex
