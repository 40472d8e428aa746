#pragma once

// Standard library
#include <cstdint>
#include <string>

namespace quillex {

class ResultStore;
class SectionMap;
struct WriterSource;

// The texts the list's row actions put on the clipboard, one result at a
// time; a window joins those of several rows as it sees fit.

// The result's text: the stored bytes read as Windows-1252, as UTF-8.
[[nodiscard]] std::string RowText(const ResultStore& store, std::uint32_t result);
// The file position as the File pos column shows it: 12 upper-case hex
// digits, "0000000004D2".
[[nodiscard]] std::string RowFileOffset(const ResultStore& store, std::uint32_t result);
// The memory position as the Mem pos column shows it, from the section map.
[[nodiscard]] std::string RowMemoryAddress(const ResultStore& store, const SectionMap& map,
                                           std::uint32_t result);
// The result's JSON Lines record, the bytes the jsonl writer writes for it
// (its LF included): the source's file name, tags and section as that
// writer takes them.
[[nodiscard]] std::string RowJsonRecord(const WriterSource& source, std::uint32_t result);

}  // namespace quillex
