// Runs a whole scan over one input held in memory: section map, ANSI,
// Unicode and resource passes, and the resource walk over the raw bytes as if
// they were a ".rsrc" section, so that the walk is reached without valid PE
// headers too. The byte passes run in the way the input's last byte picks,
// and must find exactly what the sequential passes find. The results are
// then tagged, each exactly as the tag matchers alone would tag it.

// Standard library
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
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
#include "tags/SuffixCache.h"
#include "tags/TagResults.h"
#include "tags/TagTable.h"
#include "tags/Tagger.h"

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
  // Its next bits pick the way the byte passes run, with tiny blocks and a
  // shallow ring for the threads now and then.
  const std::uint8_t choice = size != 0 ? data[size - 1] : 0;
  constexpr BytePassMode kModes[] = {BytePassMode::Fused, BytePassMode::Threaded,
                                     BytePassMode::Threaded, BytePassMode::Sequential};
  QuietHost host;
  ScanOptions options;
  options.mode = kModes[(choice >> 1) & 3];
  options.blockSize = (choice & 0x08) != 0 ? 5 : 4096;
  options.readSize = 3 * options.blockSize;
  options.readSlots = (choice & 0x10) != 0 ? 2 : 4;
  const ScanReport report = RunScan(path, engine, host, options);
  if (!report.opened || report.readError) {
    std::abort();
  }
  ScanEngine reference;
  reference.table = engine.table;
  reference.criteria = engine.criteria;
  ScanOptions sequential;
  sequential.mode = BytePassMode::Sequential;
  const ScanReport expected = RunScan(path, reference, host, sequential);
  if (expected.ansiCount != report.ansiCount || expected.unicodeCount != report.unicodeCount ||
      expected.totalTextSize != report.totalTextSize ||
      reference.store.Count() != engine.store.Count()) {
    std::abort();
  }
  for (std::uint32_t i = 0; i < engine.store.Count(); ++i) {
    if (reference.store.Position(i) != engine.store.Position(i) ||
        reference.store.Tag(i) != engine.store.Tag(i) ||
        std::string_view(reference.store.Text(i)) != std::string_view(engine.store.Text(i))) {
      std::abort();
    }
  }

  // Every result tagged in one call over the store, and each text's tags
  // exactly those whose matchers take it: the prefilter hides no match.
  static const Tagger tagger;
  static SuffixCache cache;
  std::vector<TagSet> tags(engine.store.Count());
  const std::atomic<bool> cancel{false};
  if (TagResults(tagger, engine.store, tags, cancel) != TagRunStatus::Done) {
    std::abort();
  }
  MatchContext context{tagger.Suffixes(), cache};
  for (std::uint32_t i = 0; i < engine.store.Count(); ++i) {
    const std::string_view stored(engine.store.Text(i), engine.store.TextLength(i));
    unsigned expectedTags = 0;
    for (const TagInfo& tag : TagTable()) {
      expectedTags |= tag.matcher(stored, context) ? TagBit(tag.id) : 0u;
    }
    if (tags[i] != expectedTags) {
      std::abort();
    }
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
