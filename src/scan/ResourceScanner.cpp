#include "scan/ResourceScanner.h"

// Standard library
#include <algorithm>
#include <cstring>
#include <memory>
#include <new>

// Ours
#include "platform/InputFile.h"

namespace quillex {

namespace {

constexpr std::uint32_t kHighBit = 0x80000000u;
constexpr std::uint16_t kStringTableType = 6;
constexpr std::uint32_t kStringsPerBlock = 16;
constexpr std::uint64_t kDirectoryHeaderSize = 16;
constexpr std::uint64_t kEntrySize = 8;

std::uint16_t Get16(const std::uint8_t* p) {
  return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}

std::uint32_t Get32(const std::uint8_t* p) {
  return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
         (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

// One open directory of the walk: where it is, which entry comes next and
// what the walk passes down to its subdirectories.
struct Frame {
  std::uint32_t offset;
  std::uint32_t entries;
  std::uint32_t next;
  std::uint16_t type;
  std::uint16_t block;
};

// Reading the section's bytes, each read checked against them and charged to
// the walk's budget.
class SectionReader {
 public:
  SectionReader(std::span<const std::uint8_t> bytes, std::uint64_t budget)
      : bytes_(bytes), budget_(budget) {}

  // True when [offset, offset + size) lies inside the section and the budget
  // still covers it.
  bool Take(std::uint64_t offset, std::uint64_t size) {
    if (offset > bytes_.size() || size > bytes_.size() - offset || size > budget_) {
      return false;
    }
    budget_ -= size;
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
    const std::uint32_t length = Get16(At(offset));
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
};

}  // namespace

ResourceScanner::ResourceScanner(const CharClassTable& table, const FilterCriteria& criteria,
                                 std::span<char> textBuffer, ResultStore& store, ScanHost& host)
    : table_(table), criteria_(criteria), text_(textBuffer), store_(store), host_(host) {}

void ResourceScanner::Run(InputFile& file, const SectionMap& map) {
  count_ = 0;
  host_.ShowCount(StringKind::Resource, count_);
  const std::uint64_t fileSize = file.Size();
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
    std::unique_ptr<std::uint8_t[]> buffer;
    std::size_t got = 0;
    if (available != 0) {
      buffer.reset(new (std::nothrow) std::uint8_t[static_cast<std::size_t>(available)]);
      if (buffer && file.Seek(record.rawStart)) {
        got = file.Read(buffer.get(), static_cast<std::size_t>(available));
      }
    }
    WalkSection(std::span<const std::uint8_t>(buffer.get(), got), record);
  }
}

bool ResourceScanner::WalkSection(std::span<const std::uint8_t> bytes,
                                  const SectionRecord& record) {
  count_ = 0;
  host_.ShowCount(StringKind::Resource, count_);
  if (Walk(bytes, record)) {
    return true;
  }
  ++damaged_;
  host_.WarnDamagedResources();
  return false;
}

bool ResourceScanner::Walk(std::span<const std::uint8_t> bytes, const SectionRecord& record) {
  const std::uint64_t size = bytes.size();
  SectionReader reader(bytes, 4 * size + kReadBudgetMargin);
  const std::uint64_t maxVisits = std::max(kMinDirectoryVisits, size / kDirectoryHeaderSize);
  std::uint64_t visits = 0;
  const std::uint32_t maxLength = criteria_.maxLength;
  char* const text = text_.data();

  // The open directories, root first: an explicit stack keeps a deep tree off
  // the call stack, and its offsets are what the loop rule compares against.
  Frame stack[kMaxDepth + 1];
  std::uint32_t depth = 0;

  auto open = [&](std::uint32_t offset, std::uint32_t at, std::uint16_t type,
                  std::uint16_t block) -> bool {
    for (std::uint32_t k = 0; k < at; ++k) {
      if (stack[k].offset == offset) {
        return false;  // a loop: this directory is still being walked
      }
    }
    if (at > kMaxDepth || ++visits > maxVisits || !reader.Take(offset, kDirectoryHeaderSize)) {
      return false;
    }
    const std::uint8_t* header = reader.At(offset);
    const auto entries = static_cast<std::uint16_t>(Get16(header + 12) + Get16(header + 14));
    stack[at] = Frame{offset, entries, 0, type, block};
    return true;
  };

  if (!open(0, 0, 0, 0)) {
    return false;
  }
  for (;;) {
    Frame& frame = stack[depth];
    if (frame.next == frame.entries) {
      host_.ShowCount(StringKind::Resource, count_);
      if (depth == 0) {
        return true;
      }
      --depth;
      continue;
    }
    const std::uint64_t entry =
        std::uint64_t{frame.offset} + kDirectoryHeaderSize + kEntrySize * frame.next;
    ++frame.next;
    if (!reader.Take(entry, kEntrySize)) {
      return false;
    }
    const std::uint32_t name = Get32(reader.At(entry));
    const std::uint32_t data = Get32(reader.At(entry) + 4);

    if ((data & kHighBit) != 0) {
      if (depth == 0) {
        // Of all named entries only the names of types are listed.
        if ((name & kHighBit) != 0) {
          const std::uint64_t nameOffset = name & ~kHighBit;
          std::uint64_t next = 0;
          if (!reader.CopyCountedString(nameOffset, text_, maxLength, next)) {
            return false;
          }
          if (AcceptString(text, table_, criteria_)) {
            ++count_;
            const std::uint64_t position = record.rawStart + nameOffset + 2;
            store_.AddResult(static_cast<std::uint32_t>(position),
                             static_cast<std::uint32_t>(position >> 32),
                             static_cast<std::uint16_t>(name), text, StringKind::Resource);
          }
        }
        frame.type = static_cast<std::uint16_t>(name);
      }
      if (!open(data & ~kHighBit, depth + 1, frame.type, static_cast<std::uint16_t>(name))) {
        return false;
      }
      ++depth;
      continue;
    }
    if (frame.type != kStringTableType) {
      continue;
    }
    // A string block: 16 counted strings from the data entry's RVA on. The
    // size the data entry states is not consulted.
    if (!reader.Take(data, 4)) {
      return false;
    }
    const std::uint32_t rva = Get32(reader.At(data));
    std::uint64_t offset = static_cast<std::uint32_t>(rva - record.virtualAddress);
    const auto firstId = static_cast<std::uint16_t>((frame.block - 1u) * kStringsPerBlock);
    for (std::uint32_t j = 0; j < kStringsPerBlock; ++j) {
      std::uint64_t next = 0;
      if (!reader.CopyCountedString(offset, text_, maxLength, next)) {
        return false;
      }
      if (AcceptString(text, table_, criteria_)) {
        ++count_;
        // A string-table result has the position of its count.
        const std::uint64_t position = record.rawStart + offset;
        store_.AddResult(static_cast<std::uint32_t>(position),
                         static_cast<std::uint32_t>(position >> 32),
                         static_cast<std::uint16_t>(firstId + j), text, StringKind::Resource);
      }
      offset = next;
    }
  }
}

}  // namespace quillex
