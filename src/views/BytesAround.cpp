#include "views/BytesAround.h"

// Standard library
#include <algorithm>
#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <utility>
#include <vector>

// Ours
#include "platform/Cp1252.h"
#include "scan/SectionMap.h"
#include "store/ResultStore.h"
#include "views/FormatColumn.h"

namespace quillex {

namespace {

// Where the characters may start, and how many bytes each takes.
struct CharRange {
  std::uint64_t start = 0;
  std::uint32_t unit = 1;
};

// The ranges the stored place allows, the likelier first: one for ANSI and
// Unicode strings, two for resource strings, whose stored position may be a
// count's or a first character's.
std::vector<CharRange> CandidateRanges(const ResultPlace& place) {
  switch (place.kind) {
    case StringKind::Ansi:
      return {{place.position, 1}};
    case StringKind::Unicode:
      return {{place.position, 2}};
    case StringKind::Resource:
      break;
  }
  const CharRange entry{place.position + 2, 2};
  const CharRange named{place.position, 2};
  if (place.namedType) {
    return {named, entry};
  }
  return {entry, named};
}

// The file position just past the characters, or nothing when they cannot
// lie inside a file of `size` bytes.
std::optional<std::uint64_t> RangeEnd(const CharRange& range, std::size_t characters,
                                      std::uint64_t size) {
  const std::uint64_t bytes = std::uint64_t{characters} * range.unit;
  if (range.start > size || bytes > size - range.start) {
    return std::nullopt;
  }
  return range.start + bytes;
}

// Whether the bytes read, which start at file position `first`, still hold
// the stored text where the range puts it: ANSI bytes as they are, the low
// byte of each UTF-16 unit (with a zero high byte for Unicode strings, as the
// scan found them). Characters past the bytes read go unchecked.
bool HoldsText(const std::vector<std::uint8_t>& bytes, std::uint64_t first, const CharRange& range,
               const ResultPlace& place) {
  if (range.start < first) {
    return false;
  }
  for (std::size_t k = 0; k < place.text.size(); ++k) {
    const std::uint64_t at = range.start - first + std::uint64_t{k} * range.unit;
    if (at + range.unit > bytes.size()) {
      return true;
    }
    if (bytes[at] != static_cast<std::uint8_t>(place.text[k])) {
      return false;
    }
    if (place.kind == StringKind::Unicode && bytes[at + 1] != 0) {
      return false;
    }
  }
  return true;
}

char16_t ShownCharacter(std::uint8_t byte) {
  const char16_t c = Cp1252ToUnicode(byte);
  return c < 0x20 || (c >= 0x7F && c < 0xA0) ? kControlStandIn : c;
}

ByteRow MakeRow(const std::uint8_t* bytes, std::uint64_t offset, std::uint32_t count,
                std::uint64_t stringStart, std::uint64_t stringEnd) {
  ByteRow row;
  row.offset = offset;
  char hex[kFormatBufferSize];
  row.offsetText.assign(hex, FormatHex48(hex, offset));
  row.count = count;
  std::memcpy(row.bytes.data(), bytes, count);
  for (std::uint32_t k = 0; k < count; ++k) {
    if (k != 0) {
      row.hexText += ' ';
    }
    row.hexText.append(&kHexPairs[2 * std::size_t{bytes[k]}], 2);
    row.charText += ShownCharacter(bytes[k]);
  }
  const std::uint64_t end = offset + count;
  if (stringStart < end && stringEnd > offset) {
    row.highlightFirst = static_cast<std::uint32_t>(std::max(stringStart, offset) - offset);
    row.highlightEnd = static_cast<std::uint32_t>(std::min(stringEnd, end) - offset);
  }
  return row;
}

BytesAround Failed(BytesStatus status, std::string message) {
  BytesAround around;
  around.status = status;
  around.message = std::move(message);
  return around;
}

BytesAround Changed() {
  return Failed(BytesStatus::FileChanged,
                "The file has changed since the scan, so the bytes around this string cannot be "
                "shown.");
}

BytesAround OpenFailed(int error) {
  if (error == ENOENT || error == ENOTDIR) {
    return Failed(BytesStatus::FileGone,
                  "The file is no longer there, so the bytes around this string cannot be shown.");
  }
  return Failed(BytesStatus::Unreadable, "The file could not be read: " + ErrorText(error) + ".");
}

// The file range read: whole rows from a few before the string's first
// character to a few after its last, within the file and the row limit.
struct Window {
  std::uint64_t first = 0;
  std::uint64_t end = 0;
};

Window WindowAround(std::uint64_t start, std::uint64_t end, std::uint64_t size,
                    const BytesAroundOptions& options) {
  const std::uint64_t before = std::uint64_t{options.rowsBefore} * kBytesPerRow;
  const std::uint64_t after = std::uint64_t{options.rowsAfter} * kBytesPerRow;
  const std::uint64_t most =
      std::uint64_t{std::max(options.maxRows, options.rowsBefore + 1)} * kBytesPerRow;
  Window window;
  const std::uint64_t startRow = start - start % kBytesPerRow;
  window.first = startRow > before ? startRow - before : 0;
  const std::uint64_t endRow = end + (kBytesPerRow - end % kBytesPerRow) % kBytesPerRow;
  window.end = std::min({size, endRow + after, window.first + most});
  return window;
}

std::vector<ByteRow> Rows(const std::vector<std::uint8_t>& bytes, std::uint64_t first,
                          std::uint64_t stringStart, std::uint64_t stringEnd) {
  std::vector<ByteRow> rows;
  for (std::size_t at = 0; at < bytes.size(); at += kBytesPerRow) {
    const auto count =
        static_cast<std::uint32_t>(std::min<std::size_t>(kBytesPerRow, bytes.size() - at));
    rows.push_back(MakeRow(bytes.data() + at, first + at, count, stringStart, stringEnd));
  }
  return rows;
}

}  // namespace

ResultPlace PlaceOfResult(const ResultStore& store, const SectionMap& map, std::uint32_t result) {
  ResultPlace place;
  place.position = store.Position(result);
  place.kind = store.Kind(result);
  const char* text = store.Text(result);
  place.text = std::string_view(text != nullptr ? text : "", store.TextLength(result));
  if (place.kind != StringKind::Resource || place.position < 2) {
    return place;
  }
  // A type's name is recorded with the low 16 bits of its offset in the
  // section as its ID, and with the position of the character after its
  // count.
  const std::uint64_t count = place.position - 2;
  for (const SectionRecord& section : map.Records()) {
    if (std::strcmp(section.name, ".rsrc") == 0 && count >= section.rawStart &&
        ((count - section.rawStart) & 0xFFFFu) == store.Id(result)) {
      place.namedType = true;
      break;
    }
  }
  return place;
}

BytesAround ReadBytesAround(const std::string& path, const FileIdentity& identity,
                            const ResultPlace& place, const BytesAroundOptions& options) {
  InputFile file;
  if (!file.Open(path)) {
    return OpenFailed(file.LastError());
  }
  if (!(file.Identity() == identity)) {
    return Changed();
  }
  const std::vector<CharRange> candidates = CandidateRanges(place);
  std::uint64_t lowest = candidates.front().start;
  std::uint64_t highest = 0;
  for (const CharRange& range : candidates) {
    const std::optional<std::uint64_t> end = RangeEnd(range, place.text.size(), identity.size);
    if (!end) {
      return Changed();
    }
    lowest = std::min(lowest, range.start);
    highest = std::max(highest, *end);
  }
  const Window window = WindowAround(lowest, highest, identity.size, options);
  std::vector<std::uint8_t> bytes(window.end - window.first);
  if (!file.Seek(window.first) || file.Read(bytes.data(), bytes.size()) != bytes.size()) {
    return file.HadReadError()
               ? Failed(BytesStatus::Unreadable,
                        "The file could not be read: " + ErrorText(file.LastError()) + ".")
               : Changed();
  }
  for (const CharRange& range : candidates) {
    if (HoldsText(bytes, window.first, range, place)) {
      BytesAround around;
      around.stringStart = range.start;
      around.stringEnd = *RangeEnd(range, place.text.size(), identity.size);
      around.rows = Rows(bytes, window.first, around.stringStart, around.stringEnd);
      return around;
    }
  }
  return Changed();
}

}  // namespace quillex
