// Runs a whole scan over one input held in memory: section map, ANSI,
// Unicode and resource passes, and the resource walk over the raw bytes as if
// they were a ".rsrc" section, so that the walk is reached without valid PE
// headers too.

// Standard library
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

// POSIX
#include <sys/mman.h>
#include <unistd.h>

// Ours
#include "platform/InputFile.h"
#include "scan/ResourceScanner.h"
#include "scan/ScanDriver.h"
#include "scan/ScanHost.h"
#include "scan/SectionMap.h"

namespace {

class QuietHost : public quillex::ScanHost {
 public:
  void ShowCount(quillex::StringKind, std::uint32_t) override {}
  bool ScanPump() override { return true; }
  void WarnDamagedResources() override {}
  void ReportOpenFailure(const std::string&, const std::string&) override { std::abort(); }
};

// One in-memory file for the whole run, rewritten for every input.
int MemoryFile() {
  static const int fd = ::memfd_create("pe_fuzz", MFD_CLOEXEC);
  return fd;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace quillex;
  const int fd = MemoryFile();
  if (fd < 0 || ::ftruncate(fd, 0) != 0) {
    std::abort();
  }
  if (size != 0 && ::pwrite(fd, data, size, 0) != static_cast<ssize_t>(size)) {
    std::abort();
  }
  const std::string path = "/proc/self/fd/" + std::to_string(fd);

  ScanEngine engine;
  engine.table.RestoreDefaults();
  engine.criteria.minLength = 3;
  engine.criteria.maxLength = 64;
  // The byte passes take a different route with the repeat rule off, so the
  // input's last byte picks the rule: off for an even byte, on for an odd one.
  const bool repeatRule = size != 0 && (data[size - 1] & 1) != 0;
  engine.criteria.repeatDiscard = repeatRule;
  engine.criteria.repeatLimit = repeatRule ? 4 : NoRepeatLimit;
  QuietHost host;
  ScanOptions options;
  options.blockSize = 4096;
  options.readSize = 3 * 4096;
  const ScanReport report = RunScan(path, engine, host, options);
  if (!report.opened || report.readError) {
    std::abort();
  }

  // The map read from memory must be the one the scan read from the file.
  const std::span<const std::uint8_t> bytes(data, size);
  SectionMap fromBytes;
  fromBytes.ReadFromBytes(bytes);
  if (fromBytes.ImageBase() != engine.map.ImageBase() ||
      fromBytes.Records().size() != engine.map.Records().size()) {
    std::abort();
  }
  for (std::uint64_t position : {std::uint64_t{0}, std::uint64_t{size / 2}, std::uint64_t{size}}) {
    if (fromBytes.MemoryPosition(position) != engine.map.MemoryPosition(position)) {
      std::abort();
    }
  }

  // The whole input as a resource section, with a short maximum length.
  FilterCriteria criteria = engine.criteria;
  criteria.maxLength = 8;
  std::vector<char> text(criteria.maxLength + 2);
  SectionRecord record;
  record.rawStart = 0;
  record.rawEnd = static_cast<std::uint32_t>(size);
  record.virtualAddress = 0x1000;
  ResultStore store;
  ResourceScanner walker(engine.table, criteria, text, store, host);
  walker.WalkSection(bytes, record);
  return 0;
}
