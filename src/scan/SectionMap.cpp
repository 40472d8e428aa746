#include "scan/SectionMap.h"

// Standard library
#include <algorithm>
#include <cstring>
#include <new>

// Ours
#include "platform/InputFile.h"
#include "scan/LittleEndian.h"

namespace quillex {

namespace {

constexpr std::size_t kDosHeaderSize = 64;
constexpr std::size_t kLfanewOffset = 60;
constexpr std::uint16_t kDosMagic = 0x5A4D;     // "MZ"
constexpr std::uint32_t kNtSignature = 0x4550;  // "PE\0\0"
constexpr std::uint16_t kPe32PlusMagic = 0x20B;

// NT headers: 4 signature bytes, then the 20-byte file header, then the
// optional header. Offsets below count from the signature.
constexpr std::size_t kSectionCountOffset = 6;
constexpr std::size_t kOptionalSizeOffset = 20;
constexpr std::size_t kOptionalHeaderOffset = 24;
constexpr std::size_t kMagicOffset = kOptionalHeaderOffset;
constexpr std::size_t kPe32ImageBaseOffset = kOptionalHeaderOffset + 28;
constexpr std::size_t kPe32PlusImageBaseOffset = kOptionalHeaderOffset + 24;
// Both layouts keep the image base within the first 56 bytes, so fewer than
// that means the headers are cut short whatever their kind.
constexpr std::size_t kNtBytesUsed = 56;
constexpr std::size_t kNtHeadersMax = kOptionalHeaderOffset + 0xFFFF;

constexpr std::size_t kSectionHeaderSize = 40;

// The header's eight name bytes without trailing blanks and NULs, cut at the
// first NUL that remains: "ab \0cd  " becomes "ab ".
void CopySectionName(const std::uint8_t* raw, char (&name)[9]) {
  std::memcpy(name, raw, 8);
  name[8] = '\0';
  for (int i = 7; i >= 0; --i) {
    if (name[i] != ' ' && name[i] != '\0') {
      break;
    }
    name[i] = '\0';
  }
}

// Reads the headers through `readAt(position, buffer, size) -> bytes read`,
// so the file and an in-memory image share one parser.
template <class ReadAt>
void ReadHeaders(ReadAt readAt, std::vector<SectionRecord>& records, std::uint64_t& imageBase) {
  std::uint8_t dos[kDosHeaderSize];
  if (readAt(0, dos, kDosHeaderSize) < kDosHeaderSize || ReadLe16(dos) != kDosMagic) {
    return;
  }
  const std::uint32_t lfanew = ReadLe32(dos + kLfanewOffset);

  std::vector<std::uint8_t> nt;
  try {
    nt.resize(kNtHeadersMax);
  } catch (const std::bad_alloc&) {
    return;
  }
  const std::size_t ntRead = readAt(lfanew, nt.data(), nt.size());
  if (ntRead < kNtBytesUsed || ReadLe32(nt.data()) != kNtSignature) {
    return;
  }
  // The section table follows the optional header, whose size the file header
  // states: 224 bytes for a standard PE32 image, 240 for PE32+. A PE32 image
  // with another size is read the same way, with its table where that size
  // puts it (even inside the fields read below, as the loader does) and its
  // image base at the PE32 offset. The whole optional header must be in the
  // file, which for the standard header means the 248 bytes of the NT headers.
  const std::size_t optionalSize = ReadLe16(nt.data() + kOptionalSizeOffset);
  if (ntRead < kOptionalHeaderOffset + optionalSize) {
    return;
  }
  const bool pe32Plus = ReadLe16(nt.data() + kMagicOffset) == kPe32PlusMagic;
  const std::uint64_t base = pe32Plus ? ReadLe64(nt.data() + kPe32PlusImageBaseOffset)
                                      : ReadLe32(nt.data() + kPe32ImageBaseOffset);
  imageBase = base;

  const std::size_t count = ReadLe16(nt.data() + kSectionCountOffset);
  if (count == 0) {
    return;
  }
  const std::uint64_t tableStart = std::uint64_t{lfanew} + kOptionalHeaderOffset + optionalSize;
  std::vector<std::uint8_t> table;
  try {
    table.resize(count * kSectionHeaderSize);
  } catch (const std::bad_alloc&) {
    return;
  }
  // A table cut short by the end of the file keeps the headers read in full.
  const std::size_t whole = readAt(tableStart, table.data(), table.size()) / kSectionHeaderSize;
  try {
    records.reserve(whole);
  } catch (const std::bad_alloc&) {
    return;
  }
  for (std::size_t i = 0; i < whole; ++i) {
    const std::uint8_t* header = table.data() + i * kSectionHeaderSize;
    SectionRecord record;
    CopySectionName(header, record.name);
    record.virtualAddress = ReadLe32(header + 12);
    const std::uint32_t rawSize = ReadLe32(header + 16);
    record.rawStart = ReadLe32(header + 20);
    record.rawEnd = record.rawStart + rawSize;  // wraps mod 2^32 on purpose
    if (pe32Plus) {
      record.memoryStart = base + record.virtualAddress;
    } else {
      record.memoryStart = static_cast<std::uint32_t>(record.virtualAddress + base);
    }
    records.push_back(record);
  }
}

}  // namespace

void SectionMap::Release() {
  records_.clear();
  records_.shrink_to_fit();
  lookup_.Clear();
  imageBase_ = 0;
}

void SectionMap::BuildLookup() {
  try {
    lookup_.Build(records_);
  } catch (const std::bad_alloc&) {
    records_.clear();
    records_.shrink_to_fit();
  }
}

void SectionMap::Read(InputFile& file) {
  Release();
  auto readAt = [&file](std::uint64_t position, std::uint8_t* buffer, std::size_t size) {
    if (!file.Seek(position)) {
      return std::size_t{0};
    }
    return file.Read(buffer, size);
  };
  ReadHeaders(readAt, records_, imageBase_);
  BuildLookup();
}

void SectionMap::ReadFromBytes(std::span<const std::uint8_t> fileBytes) {
  Release();
  auto readAt = [fileBytes](std::uint64_t position, std::uint8_t* buffer, std::size_t size) {
    if (position >= fileBytes.size()) {
      return std::size_t{0};
    }
    const std::size_t offset = static_cast<std::size_t>(position);
    const std::size_t n = std::min(size, fileBytes.size() - offset);
    std::memcpy(buffer, fileBytes.data() + offset, n);
    return n;
  };
  ReadHeaders(readAt, records_, imageBase_);
  BuildLookup();
}

std::optional<std::uint32_t> SectionMap::SectionIndex(std::uint64_t filePosition) const {
  return lookup_.Find(filePosition);
}

const SectionRecord* SectionMap::SectionAt(std::uint64_t filePosition) const {
  const std::optional<std::uint32_t> index = lookup_.Find(filePosition);
  return index ? &records_[*index] : nullptr;
}

std::uint64_t SectionMap::MemoryPosition(std::uint64_t filePosition) const {
  if (const SectionRecord* record = SectionAt(filePosition)) {
    return filePosition - record->rawStart + record->memoryStart;
  }
  return filePosition + imageBase_;
}

}  // namespace quillex
