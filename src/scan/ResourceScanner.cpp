#include "scan/ResourceScanner.h"

// Standard library
#include <algorithm>
#include <array>
#include <cstring>
#include <memory>
#include <new>
#include <utility>

// Ours
#include "platform/InputFile.h"
#include "scan/LittleEndian.h"

namespace quillex {

namespace {

constexpr std::uint32_t kHighBit = 0x80000000u;
constexpr std::uint16_t kStringTableType = 6;
constexpr std::uint32_t kStringsPerBlock = 16;
constexpr std::uint64_t kDirectoryHeaderSize = 16;
constexpr std::uint64_t kEntrySize = 8;

// One open directory of the walk: where it is, which entry comes next and
// what the walk passes down to its subdirectories.
struct Frame {
  std::uint32_t offset;
  std::uint32_t entries;
  std::uint32_t next;
  std::uint16_t type;
  std::uint16_t block;
};

// What a section's walk spends beyond its own budget: the pass's budget, and
// the work done since the pump was last consulted.
struct PassSpending {
  ResourceScanner::PassBudget& left;
  bool& spent;  // set when the pass's budget could not cover a step
  std::uint64_t& bytesSincePump;
};

// Reading the section's bytes, each read checked against them and charged to
// the walk's budget and to the pass's.
class SectionReader {
 public:
  SectionReader(std::span<const std::uint8_t> bytes, std::uint64_t budget, PassSpending pass)
      : bytes_(bytes), budget_(budget), pass_(pass) {}

  // True when [offset, offset + size) lies inside the section and both
  // budgets still cover it.
  bool Take(std::uint64_t offset, std::uint64_t size) {
    if (offset > bytes_.size() || size > bytes_.size() - offset) {
      return false;
    }
    if (size > pass_.left.bytes) {
      pass_.spent = true;
      return false;
    }
    if (size > budget_) {
      return false;
    }
    budget_ -= size;
    pass_.left.bytes -= size;
    pass_.bytesSincePump += size;
    return true;
  }
  const std::uint8_t* At(std::uint64_t offset) const {
    return bytes_.data() + static_cast<std::size_t>(offset);
  }

  // Copies the low byte of each of the first min(L, M) units of the counted
  // string at `offset` into `text`, NUL-terminated, and sets `next` to the
  // offset of the string after it. False when the count or the units to copy
  // lie outside the section.
  bool CopyCountedString(std::uint64_t offset, std::span<char> text, std::uint32_t maxLength,
                         std::uint64_t& next) {
    if (!Take(offset, 2)) {
      return false;
    }
    const std::uint32_t length = ReadLe16(At(offset));
    const std::uint32_t copied = std::min(length, maxLength);
    const std::uint64_t units = offset + 2;
    if (!Take(units, std::uint64_t{copied} * 2)) {
      return false;
    }
    const std::uint8_t* unit = At(units);
    for (std::uint32_t k = 0; k < copied; ++k) {
      // A unit above U+00FF keeps only its low byte; a low byte of 0 ends the
      // text there, since the text is read up to its first NUL.
      text[k] = static_cast<char>(unit[2 * k]);
    }
    text[copied] = '\0';
    next = units + std::uint64_t{length} * 2;
    return true;
  }

 private:
  std::span<const std::uint8_t> bytes_;
  std::uint64_t budget_;
  PassSpending pass_;
};

// The bytes of ".rsrc" sections read earlier in the pass, so that sections
// covering the same file range are read once: a hostile table may list the
// same bytes tens of thousands of times. The section read last is always
// kept (the walk needed that memory anyway); older ones while they fit.
class HeldSections {
 public:
  static constexpr std::size_t kSlots = 4;
  static constexpr std::uint64_t kOlderBytesLimit = std::uint64_t{64} << 20;

  // The bytes of the range [start, start + size) when they were read whole
  // before; an empty span otherwise.
  std::span<const std::uint8_t> Find(std::uint32_t start, std::uint64_t size) {
    for (std::size_t k = 0; k < kSlots; ++k) {
      const Slot& slot = slots_[k];
      if (slot.bytes && slot.start == start && slot.size == size) {
        std::rotate(slots_.begin(), slots_.begin() + static_cast<std::ptrdiff_t>(k),
                    slots_.begin() + static_cast<std::ptrdiff_t>(k) + 1);
        return {slots_[0].bytes.get(), static_cast<std::size_t>(size)};
      }
    }
    return {};
  }

  // A buffer of `size` bytes, or null when that much memory cannot be had
  // even after letting go of the held sections.
  std::unique_ptr<std::uint8_t[]> Allocate(std::size_t size) {
    std::unique_ptr<std::uint8_t[]> buffer(new (std::nothrow) std::uint8_t[size]);
    if (!buffer) {
      slots_ = {};
      buffer.reset(new (std::nothrow) std::uint8_t[size]);
    }
    return buffer;
  }

  // Keeps a range read in full as the most recent one, letting go of the
  // oldest others beyond the limits.
  void Keep(std::uint32_t start, std::uint64_t size, std::unique_ptr<std::uint8_t[]> bytes) {
    std::rotate(slots_.begin(), slots_.end() - 1, slots_.end());
    slots_[0] = Slot{start, size, std::move(bytes)};
    std::uint64_t older = 0;
    for (std::size_t k = 1; k < kSlots; ++k) {
      older += slots_[k].size;
      if (older > kOlderBytesLimit) {
        slots_[k] = Slot{};
      }
    }
  }

 private:
  struct Slot {
    std::uint32_t start = 0;
    std::uint64_t size = 0;
    std::unique_ptr<std::uint8_t[]> bytes;
  };
  std::array<Slot, kSlots> slots_;  // most recent first
};

}  // namespace

// What one section's walk reads and where it stands.
struct ResourceScanner::WalkState {
  WalkState(std::span<const std::uint8_t> bytes, const SectionRecord& section, PassSpending pass)
      : reader(bytes, 4 * std::uint64_t{bytes.size()} + kReadBudgetMargin, pass),
        record(section),
        maxVisits(std::max(kMinDirectoryVisits, bytes.size() / kDirectoryHeaderSize)) {}

  SectionReader reader;
  const SectionRecord& record;
  std::uint64_t maxVisits;
  std::uint64_t visits = 0;
  // The open directories, root first: an explicit stack keeps a deep tree
  // off the call stack, and its offsets are what the loop rule compares
  // against.
  Frame stack[kMaxDepth + 1];
  std::uint32_t depth = 0;
};

ResourceScanner::PassBudget ResourceScanner::PassBudget::ForFile(std::uint64_t fileSize) {
  // A file size comes from the file system; none comes near overflowing these.
  PassBudget budget;
  budget.bytes = kPassBytesPerFileByte * fileSize + kReadBudgetMargin;
  budget.visits = std::max(kMinPassVisits, fileSize / kFileBytesPerVisit);
  budget.results = std::max(kMinPassResults, fileSize / kFileBytesPerResult);
  return budget;
}

ResourceScanner::ResourceScanner(const CharClassTable& table, const FilterCriteria& criteria,
                                 std::span<char> textBuffer, ResultStore& store, ScanHost& host)
    : table_(table), criteria_(criteria), text_(textBuffer), store_(store), host_(host) {}

void ResourceScanner::Run(InputFile& file, const SectionMap& map, StopRule rule) {
  rule_ = rule;
  stopped_ = false;
  budgetSpent_ = false;
  count_ = 0;
  host_.ShowCount(StringKind::Resource, count_);
  const std::uint64_t fileSize = file.Size();
  left_ = PassBudget::ForFile(fileSize);
  HeldSections held;
  for (const SectionRecord& record : map.Records()) {
    if (std::strcmp(record.name, ".rsrc") != 0) {
      continue;
    }
    // The section's size as its header states it may be anything; no more is
    // taken than the file holds from the raw start on, since no more can be
    // read.
    const std::uint32_t stated = record.rawEnd - record.rawStart;
    const std::uint64_t available =
        record.rawStart >= fileSize ? 0
                                    : std::min<std::uint64_t>(stated, fileSize - record.rawStart);
    std::span<const std::uint8_t> bytes;
    std::unique_ptr<std::uint8_t[]> buffer;
    if (available != 0) {
      bytes = held.Find(record.rawStart, available);
    }
    if (available != 0 && bytes.empty()) {
      if (available > left_.bytes) {
        // The section's walk would begin by reading more than the pass may.
        count_ = 0;
        host_.ShowCount(StringKind::Resource, count_);
        budgetSpent_ = true;
        Finish(Step::Damaged);
        return;
      }
      const auto size = static_cast<std::size_t>(available);
      buffer = held.Allocate(size);
      std::size_t got = 0;
      if (buffer && !ReadSection(file, record.rawStart, buffer.get(), size, got)) {
        return;
      }
      bytes = {buffer.get(), got};
      left_.bytes -= got;
      // A section cut short by a read error is not kept: a later section on
      // the same range reads it again, as it would on its own.
      if (got == size) {
        held.Keep(record.rawStart, available, std::move(buffer));
      }
    }
    WalkSection(bytes, record);
    if (stopped_ || budgetSpent_) {
      return;
    }
  }
}

bool ResourceScanner::ReadSection(InputFile& file, std::uint32_t start, std::uint8_t* buffer,
                                  std::size_t size, std::size_t& got) {
  got = 0;
  if (!file.Seek(start)) {
    return true;
  }
  while (got < size) {
    const std::size_t piece = std::min<std::size_t>(kPumpBytes, size - got);
    if (!PumpWhenDue(piece)) {
      return false;
    }
    const std::size_t read = file.Read(buffer + got, piece);
    got += read;
    bytesSincePump_ += read;
    if (read < piece) {
      break;  // the end of the file or a read error, as one whole read would see
    }
  }
  return true;
}

bool ResourceScanner::PumpWhenDue(std::uint64_t upcoming) {
  if (bytesSincePump_ + upcoming <= kPumpBytes && entriesSincePump_ < kPumpEntries) {
    return true;
  }
  bytesSincePump_ = 0;
  entriesSincePump_ = 0;
  if (host_.ScanPump() || rule_ == StopRule::RunWhole) {
    return true;
  }
  stopped_ = true;
  return false;
}

std::uint64_t ResourceScanner::MostReadPerStep() const {
  // An entry, then a subdirectory's header and a type's name, or a data
  // entry and a block's first string; or the next string of a block.
  return kEntrySize + kDirectoryHeaderSize + 2 + 2 * std::uint64_t{criteria_.maxLength};
}

bool ResourceScanner::WalkSection(std::span<const std::uint8_t> bytes,
                                  const SectionRecord& record) {
  count_ = 0;
  host_.ShowCount(StringKind::Resource, count_);
  return Finish(Walk(bytes, record));
}

bool ResourceScanner::Finish(Step step) {
  switch (step) {
    case Step::Done:
      return true;
    case Step::Stopped:
      // The cell shows what this section gave before the stop.
      host_.ShowCount(StringKind::Resource, count_);
      return true;
    case Step::Damaged:
      break;
  }
  ++damaged_;
  host_.WarnDamagedResources();
  return false;
}

ResourceScanner::Step ResourceScanner::Walk(std::span<const std::uint8_t> bytes,
                                            const SectionRecord& record) {
  WalkState walk(bytes, record, PassSpending{left_, budgetSpent_, bytesSincePump_});
  if (!OpenDirectory(walk, 0, 0, 0, 0)) {
    return Step::Damaged;
  }
  for (;;) {
    Frame& frame = walk.stack[walk.depth];
    if (frame.next == frame.entries) {
      host_.ShowCount(StringKind::Resource, count_);
      if (walk.depth == 0) {
        return Step::Done;
      }
      --walk.depth;
      continue;
    }
    ++entriesSincePump_;
    if (!PumpWhenDue(MostReadPerStep())) {
      return Step::Stopped;
    }
    const std::uint64_t entry =
        std::uint64_t{frame.offset} + kDirectoryHeaderSize + kEntrySize * frame.next;
    ++frame.next;
    if (!walk.reader.Take(entry, kEntrySize)) {
      return Step::Damaged;
    }
    const std::uint32_t name = ReadLe32(walk.reader.At(entry));
    const std::uint32_t data = ReadLe32(walk.reader.At(entry) + 4);

    if ((data & kHighBit) != 0) {
      if (walk.depth == 0) {
        // Of all named entries only the names of types are listed.
        if ((name & kHighBit) != 0 && !AddTypeName(walk, name)) {
          return Step::Damaged;
        }
        frame.type = static_cast<std::uint16_t>(name);
      }
      if (!OpenDirectory(walk, data & ~kHighBit, walk.depth + 1, frame.type,
                         static_cast<std::uint16_t>(name))) {
        return Step::Damaged;
      }
      ++walk.depth;
      continue;
    }
    if (frame.type != kStringTableType) {
      continue;
    }
    if (const Step step = ReadStringBlock(walk, data, frame.block); step != Step::Done) {
      return step;
    }
  }
}

bool ResourceScanner::OpenDirectory(WalkState& walk, std::uint32_t offset, std::uint32_t depth,
                                    std::uint16_t type, std::uint16_t block) {
  for (std::uint32_t k = 0; k < depth; ++k) {
    if (walk.stack[k].offset == offset) {
      return false;  // a loop: this directory is still being walked
    }
  }
  if (depth > kMaxDepth) {
    return false;
  }
  if (left_.visits == 0) {
    budgetSpent_ = true;
    return false;
  }
  if (++walk.visits > walk.maxVisits) {
    return false;
  }
  --left_.visits;
  if (!walk.reader.Take(offset, kDirectoryHeaderSize)) {
    return false;
  }
  const std::uint8_t* header = walk.reader.At(offset);
  const auto entries = static_cast<std::uint16_t>(ReadLe16(header + 12) + ReadLe16(header + 14));
  walk.stack[depth] = Frame{offset, entries, 0, type, block};
  return true;
}

bool ResourceScanner::AddTypeName(WalkState& walk, std::uint32_t name) {
  const std::uint64_t nameOffset = name & ~kHighBit;
  std::uint64_t next = 0;
  if (!walk.reader.CopyCountedString(nameOffset, text_, criteria_.maxLength, next)) {
    return false;
  }
  // A type name's result has the position of its first character.
  return Accept(walk.record.rawStart + nameOffset + 2, static_cast<std::uint16_t>(name));
}

ResourceScanner::Step ResourceScanner::ReadStringBlock(WalkState& walk, std::uint32_t dataEntry,
                                                       std::uint16_t block) {
  // A string block: 16 counted strings from the data entry's RVA on. The
  // size the data entry states is not consulted.
  if (!walk.reader.Take(dataEntry, 4)) {
    return Step::Damaged;
  }
  const std::uint32_t rva = ReadLe32(walk.reader.At(dataEntry));
  std::uint64_t offset = static_cast<std::uint32_t>(rva - walk.record.virtualAddress);
  const auto firstId = static_cast<std::uint16_t>((block - 1u) * kStringsPerBlock);
  for (std::uint32_t j = 0; j < kStringsPerBlock; ++j) {
    std::uint64_t next = 0;
    if (!walk.reader.CopyCountedString(offset, text_, criteria_.maxLength, next)) {
      return Step::Damaged;
    }
    // A string-table result has the position of its count.
    if (!Accept(walk.record.rawStart + offset, static_cast<std::uint16_t>(firstId + j))) {
      return Step::Damaged;
    }
    offset = next;
    // A block of long strings reads up to 32 KiB.
    if (!PumpWhenDue(MostReadPerStep())) {
      return Step::Stopped;
    }
  }
  return Step::Done;
}

bool ResourceScanner::Accept(std::uint64_t position, std::uint16_t id) {
  if (!AcceptString(text_.data(), table_, criteria_)) {
    return true;
  }
  if (left_.results == 0) {
    budgetSpent_ = true;
    return false;
  }
  --left_.results;
  ++count_;
  store_.AddResult(static_cast<std::uint32_t>(position), static_cast<std::uint32_t>(position >> 32),
                   id, text_.data(), StringKind::Resource);
  return true;
}

}  // namespace quillex
