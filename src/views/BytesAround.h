#pragma once

// Standard library
#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// Ours
#include "platform/InputFile.h"
#include "store/StringKind.h"

namespace quillex {

class ResultStore;
class SectionMap;

// Where a result's characters lie in its file, worked out from what the scan
// stored, never from the file: the stored position, kind and text.
//
//   ANSI       one byte a character, from the position on;
//   Unicode    two bytes a character (UTF-16LE), from the position on;
//   resource   two bytes a character; a string-table entry's position is
//              that of its count, two bytes before its first character, a
//              named resource type's is that of its first character.
struct ResultPlace {
  std::uint64_t position = 0;
  StringKind kind = StringKind::Ansi;
  // The stored bytes: their number is the number of characters, and the
  // bytes read again must still hold them.
  std::string_view text;
  // Resource strings: the position is that of a named type's first
  // character rather than a string-table entry's count.
  bool namedType = false;
};

// The place of result `result` of the store. A resource string is taken for
// a named type when its ID and position fit how the scan records a type's
// name in a ".rsrc" section of the map (the low 16 bits of the name's offset
// in the section, two bytes before the first character); ReadBytesAround
// still checks the bytes, so a string-table entry that fits by chance is
// shown right.
[[nodiscard]] ResultPlace PlaceOfResult(const ResultStore& store, const SectionMap& map,
                                        std::uint32_t result);

inline constexpr std::uint32_t kBytesPerRow = 16;

// One line of the pane: 16 bytes of the file from a multiple of 16.
struct ByteRow {
  std::uint64_t offset = 0;
  // The offset as the File pos column shows it: 12 upper-case hex digits.
  std::string offsetText;
  // Bytes in the row: 16, fewer only in the file's last row.
  std::uint32_t count = 0;
  std::array<std::uint8_t, kBytesPerRow> bytes{};
  // "48 65 6C ...": the two digits of byte k start at column 3 k.
  std::string hexText;
  // One character per byte, byte k at index k: the byte's Windows-1252
  // character, or kControlStandIn for control bytes.
  std::u16string charText;
  // The string's bytes in this row are [highlightFirst, highlightEnd); none
  // when the two are equal.
  std::uint32_t highlightFirst = 0;
  std::uint32_t highlightEnd = 0;
};

// What the character column shows for a byte without a visible character:
// the C0 controls, DEL and the five bytes Windows-1252 leaves undefined.
inline constexpr char16_t kControlStandIn = u'.';

enum class BytesStatus : std::uint8_t {
  Ok,           // `rows` hold the bytes around the string
  FileGone,     // the file is no longer where it was scanned
  FileChanged,  // its size, time or bytes are no longer those scanned
  Unreadable,   // it is there but could not be opened or read
};

struct BytesAround {
  BytesStatus status = BytesStatus::Ok;
  // The bytes read, in rows; empty unless Ok.
  std::vector<ByteRow> rows;
  // The file positions of the string's characters, [stringStart, stringEnd);
  // the rows may end before stringEnd when the string is long.
  std::uint64_t stringStart = 0;
  std::uint64_t stringEnd = 0;
  // What the pane says instead of the bytes when not Ok: a plain sentence.
  std::string message;
};

struct BytesAroundOptions {
  // Rows shown before the row of the string's first byte and after the row
  // of its last one, where the file has them.
  std::uint32_t rowsBefore = 4;
  std::uint32_t rowsAfter = 4;
  // No more rows than this are read (a long string is cut short); at least
  // rowsBefore + 1.
  std::uint32_t maxRows = 32;
};

// Reads the bytes around a result with one positioned read of a few hundred
// bytes, never the whole file. `identity` is what the scan recorded when it
// opened the file (ScanReport::fileIdentity); a file whose size or
// modification time differs from it, or whose bytes there no longer hold the
// stored text, gives FileChanged and no bytes, so that other bytes are never
// shown as the string's.
[[nodiscard]] BytesAround ReadBytesAround(const std::string& path, const FileIdentity& identity,
                                          const ResultPlace& place,
                                          const BytesAroundOptions& options = {});

}  // namespace quillex
