#include "scan/ScanDriver.h"

// Standard library
#include <algorithm>
#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <new>
#include <optional>
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

// Reads the file from its start in chunks of readSize and hands it to the
// scanner in blocks of blockSize, consulting the host's pump before each
// block. A stop leaves the block just read unexamined; a short read, whether
// from the end of the file or an error, is the last one. The progress shown
// counts this pass as the first or second half of the byte passes' work.
// Returns true when the pump reported a stop.
template <class Scanner>
bool RunBytePass(InputFile& file, std::span<std::uint8_t> readBuffer, std::size_t blockSize,
                 ScanHost& host, Scanner& scanner, bool secondHalf, std::uint32_t ansiCount) {
  const std::uint64_t total = file.Size();
  bool stop = false;
  if (file.Seek(0)) {
    for (;;) {
      const std::size_t got = file.Read(readBuffer.data(), readBuffer.size());
      for (std::size_t at = 0; at < got; at += blockSize) {
        const std::uint64_t half = std::min(scanner.Position(), total) / 2;
        host.ShowProgress(secondHalf ? total - total / 2 + half : half, total,
                          secondHalf ? ansiCount : scanner.Count(),
                          secondHalf ? scanner.Count() : 0);
        if (!host.ScanPump()) {
          stop = true;
          break;
        }
        scanner.Scan(readBuffer.subspan(at, std::min(blockSize, got - at)));
      }
      if (stop || got < readBuffer.size()) {
        break;
      }
    }
  }
  scanner.Finish();
  return stop;
}

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

BytePassMode ChooseMode(const ScanOptions& options, std::uint64_t fileSize) {
  if (options.mode != BytePassMode::Auto) {
    return options.mode;
  }
  return fileSize >= options.threadedThreshold && SecondCoreFree() ? BytePassMode::Threaded
                                                                   : BytePassMode::Fused;
}

}  // namespace

ScanReport RunScan(const std::string& path, ScanEngine& engine, ScanHost& host,
                   const ScanOptions& options) {
  ScanReport report;
  InputFile file;
  if (!file.Open(path)) {
    host.ReportOpenFailure(path, ErrorText(file.LastError()));
    return report;
  }
  report.opened = true;
  engine.store.Clear();

  // Both buffers are taken once per scan. The read size is whole blocks, and
  // when that much memory cannot be had a single block still serves.
  // The threaded passes read into a ring of a few reads, and fall back to
  // the fused ones when that much memory cannot be had.
  const std::size_t blockSize = std::max<std::size_t>(options.blockSize, 1);
  BytePassMode mode = ChooseMode(options, file.Size());
  const std::size_t wanted =
      mode == BytePassMode::Threaded ? options.threadedReadSize : options.readSize;
  std::size_t readSize = std::max(wanted / blockSize, std::size_t{1}) * blockSize;
  std::size_t slots =
      mode == BytePassMode::Threaded ? std::max<std::size_t>(options.readSlots, 2) : 1;
  std::unique_ptr<std::uint8_t[]> readBuffer(new (std::nothrow) std::uint8_t[slots * readSize]);
  if (!readBuffer && slots != 1) {
    mode = BytePassMode::Fused;
    slots = 1;
    readBuffer.reset(new (std::nothrow) std::uint8_t[readSize]);
  }
  if (!readBuffer && readSize != blockSize) {
    readSize = blockSize;
    readBuffer.reset(new (std::nothrow) std::uint8_t[readSize]);
  }
  const std::size_t textSize = std::size_t{engine.criteria.maxLength} + 2;
  std::unique_ptr<char[]> textBuffer(new (std::nothrow) char[2 * textSize]);

  engine.map.Read(file);

  std::uint64_t totalTextSize = 0;
  const std::uint32_t start = GetTickCount();
  const int savedPriority = GetThreadPriority();
  SetThreadPriority(savedPriority - kAboveNormalStep);

  if (readBuffer && textBuffer) {
    const std::span<std::uint8_t> read(readBuffer.get(), slots * readSize);
    const std::span<char> text(textBuffer.get(), textSize);
    // The fused and threaded passes need a second text buffer, one per pass,
    // and a store for the Unicode results until the ANSI pass is done.
    const std::span<char> unicodeText(
        mode == BytePassMode::Sequential ? textBuffer.get() : textBuffer.get() + textSize,
        textSize);
    ResultStore aside;
    aside.Pool().SetByteStep(engine.store.Pool().ByteStep());
    aside.Pool().SetIndexStep(engine.store.Pool().IndexStep());

    AnsiScanner ansi(engine.table, engine.criteria, text, engine.store);
    UnicodeScanner unicode(engine.table, engine.criteria, unicodeText,
                           mode == BytePassMode::Sequential ? engine.store : aside);
    host.ShowCount(StringKind::Ansi, 0);
    bool unicodeKept = true;
    bool bytePassesStopped = false;
    if (mode == BytePassMode::Sequential) {
      bytePassesStopped = RunBytePass(file, read, blockSize, host, ansi, false, 0);
      host.ShowCount(StringKind::Ansi, ansi.Count());
      host.ShowCount(StringKind::Unicode, 0);
      bytePassesStopped |= RunBytePass(file, read, blockSize, host, unicode, true, ansi.Count());
    } else {
      const BytePassJob job{file, read, readSize, blockSize, host, ansi, unicode};
      ThreadedOutcome outcome = ThreadedOutcome::NoThreads;
      if (mode == BytePassMode::Threaded) {
        outcome = RunThreadedPasses(job);
      }
      if (outcome == ThreadedOutcome::NoThreads) {
        outcome = RunFusedPasses(job) ? ThreadedOutcome::Stopped : ThreadedOutcome::Completed;
      }
      unicodeKept = outcome == ThreadedOutcome::Completed;
      bytePassesStopped = !unicodeKept;
      host.ShowCount(StringKind::Ansi, ansi.Count());
      host.ShowCount(StringKind::Unicode, 0);
      if (unicodeKept) {
        AppendResults(aside, engine.store);
      }
      report.droppedResults = aside.DroppedCount();
      aside.Clear();
    }
    const std::uint32_t unicodeCount = unicodeKept ? unicode.Count() : 0;
    host.ShowCount(StringKind::Unicode, unicodeCount);

    ResourceScanner resources(engine.table, engine.criteria, text, engine.store, host);
    // The pump reports a stop from the moment it is requested on, so only a
    // stop the byte passes never saw can have been requested during the
    // resource pass; one they saw leaves the resource pass to run whole.
    resources.Run(file, engine.map,
                  bytePassesStopped ? ResourceScanner::StopRule::RunWhole
                                    : ResourceScanner::StopRule::EndAtStop);

    totalTextSize = ansi.TextSize() + (unicodeKept ? unicode.TextSize() : 0);
    report.ansiCount = ansi.Count();
    report.unicodeCount = unicodeCount;
    report.resourceCount = resources.Count();
    report.damagedSections = resources.DamagedSections();
  } else {
    report.buffersUnavailable = true;
  }

  SetThreadPriority(savedPriority);
  report.readError = file.HadReadError();
  readBuffer.reset();
  textBuffer.reset();
  file.Close();

  host.FillViews();
  report.elapsedMs = GetTickCount() - start;
  report.totalTextSize = totalTextSize;
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
