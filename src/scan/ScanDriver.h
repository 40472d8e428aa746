#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "filter/CharClassTable.h"
#include "filter/FilterCriteria.h"
#include "platform/InputFile.h"
#include "scan/BytePasses.h"
#include "scan/SectionMap.h"
#include "store/ResultStore.h"

namespace quillex {

class ScanHost;

// The process-wide objects a scan reads and fills. The store and the map
// belong to the last scan whose file could be opened.
struct ScanEngine {
  CharClassTable table;
  FilterCriteria criteria;
  ResultStore store;
  SectionMap map;
};

inline constexpr std::size_t kReadBlockSize = 16384;
// Below this size a file is scanned on one thread. Measured on two cores:
// at 20 MB the threads lose a third, from 200 MB to 800 MB they only tie with
// one thread (the ANSI pass with its store is the longer of the two and bounds
// them), at 2 GB they save a sixth to nearly half.
inline constexpr std::uint64_t kThreadedScanThreshold = std::uint64_t{1} << 30;

struct ScanOptions {
  // The passes consult ScanPump once per block of this size. Tests use tiny
  // blocks to exercise strings that cross block edges.
  std::size_t blockSize = kReadBlockSize;
  // How much the passes read per system call; a multiple of blockSize.
  std::size_t readSize = 4 * kReadBlockSize;
  BytePassMode mode = BytePassMode::Auto;
  // Auto runs the threaded passes from this file size on.
  std::uint64_t threadedThreshold = kThreadedScanThreshold;
  // The threaded passes read in larger pieces, and at most this many reads
  // ahead of the slower pass: the workers then wait for the reader, and it
  // for them, far less often.
  std::size_t threadedReadSize = 16 * kReadBlockSize;
  std::size_t readSlots = 4;
};

struct ScanReport {
  bool opened = false;              // false: nothing ran, the store is untouched
  std::uint32_t elapsedMs = 0;      // passes plus FillViews
  std::uint64_t totalTextSize = 0;  // accepted ANSI and Unicode bytes
  std::uint32_t ansiCount = 0;
  std::uint32_t unicodeCount = 0;
  std::uint32_t resourceCount = 0;  // as the cell shows it: the last ".rsrc" section's
  std::uint32_t damagedSections = 0;
  bool readError = false;            // a read failed; that pass ended as at end of file
  std::uint64_t droppedResults = 0;  // accepted strings the store could not take
  bool buffersUnavailable = false;   // the work buffers could not be had; no pass ran
  // The scanned file's size and modification time when the scan opened it,
  // for views that read its bytes again later.
  FileIdentity fileIdentity;
};

// Runs one scan of `path`: opens it (reporting a failure to the host), clears
// the store, reads the section map, runs the ANSI, Unicode and resource passes
// at raised priority, lets the host fill its views, and measures the time.
ScanReport RunScan(const std::string& path, ScanEngine& engine, ScanHost& host,
                   const ScanOptions& options = {});

// "Time taken : 1.234 secs    Text size: 1536 bytes (1.50K)"
[[nodiscard]] std::string FormatScanReport(std::uint32_t elapsedMs, std::uint64_t totalTextSize);

}  // namespace quillex
