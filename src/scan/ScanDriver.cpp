#include "scan/ScanDriver.h"

// Standard library
#include <algorithm>
#include <cinttypes>
#include <cstdio>
#include <memory>
#include <new>

// Ours
#include "platform/InputFile.h"
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
// from the end of the file or an error, is the last one. Returns true when
// the pump reported a stop.
template <class Scanner>
bool RunBytePass(InputFile& file, std::span<std::uint8_t> readBuffer, std::size_t blockSize,
                 ScanHost& host, Scanner& scanner) {
  bool stop = false;
  if (file.Seek(0)) {
    for (;;) {
      const std::size_t got = file.Read(readBuffer.data(), readBuffer.size());
      for (std::size_t at = 0; at < got; at += blockSize) {
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
  const std::size_t blockSize = std::max<std::size_t>(options.blockSize, 1);
  std::size_t readSize = std::max(options.readSize / blockSize, std::size_t{1}) * blockSize;
  std::unique_ptr<std::uint8_t[]> readBuffer(new (std::nothrow) std::uint8_t[readSize]);
  if (!readBuffer && readSize != blockSize) {
    readSize = blockSize;
    readBuffer.reset(new (std::nothrow) std::uint8_t[readSize]);
  }
  const std::size_t textSize = std::size_t{engine.criteria.maxLength} + 2;
  std::unique_ptr<char[]> textBuffer(new (std::nothrow) char[textSize]);

  engine.map.Read(file);

  std::uint64_t totalTextSize = 0;
  const std::uint32_t start = GetTickCount();
  const int savedPriority = GetThreadPriority();
  SetThreadPriority(savedPriority - kAboveNormalStep);

  if (readBuffer && textBuffer) {
    const std::span<std::uint8_t> read(readBuffer.get(), readSize);
    const std::span<char> text(textBuffer.get(), textSize);

    AnsiScanner ansi(engine.table, engine.criteria, text, engine.store);
    host.ShowCount(StringKind::Ansi, 0);
    const bool ansiStopped = RunBytePass(file, read, blockSize, host, ansi);
    host.ShowCount(StringKind::Ansi, ansi.Count());

    UnicodeScanner unicode(engine.table, engine.criteria, text, engine.store);
    host.ShowCount(StringKind::Unicode, 0);
    const bool unicodeStopped = RunBytePass(file, read, blockSize, host, unicode);
    host.ShowCount(StringKind::Unicode, unicode.Count());

    ResourceScanner resources(engine.table, engine.criteria, text, engine.store, host);
    // The pump reports a stop from the moment it is requested on, so only a
    // stop the byte passes never saw can have been requested during the
    // resource pass; one they saw leaves the resource pass to run whole.
    resources.Run(file, engine.map,
                  ansiStopped || unicodeStopped ? ResourceScanner::StopRule::RunWhole
                                                : ResourceScanner::StopRule::EndAtStop);

    totalTextSize = ansi.TextSize() + unicode.TextSize();
    report.ansiCount = ansi.Count();
    report.unicodeCount = unicode.Count();
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
  report.droppedResults = engine.store.DroppedCount();
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
