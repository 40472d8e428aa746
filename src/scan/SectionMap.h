#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

// Ours
#include "scan/SectionLookup.h"

namespace quillex {

class InputFile;

struct SectionRecord {
  char name[9] = {};           // trailing blanks and NULs removed, NUL-terminated
  std::uint32_t rawStart = 0;  // file position of the section's first byte
  std::uint32_t rawEnd = 0;    // (rawStart + SizeOfRawData) mod 2^32
  std::uint32_t virtualAddress = 0;
  std::uint64_t memoryStart = 0;  // PE32: (virtualAddress + imageBase) mod 2^32
};

// The image base and section table of the file being scanned, so that a file
// position can be shown as an address in the loaded image. A file that is not
// a PE image gets no records and image base 0: its memory positions equal its
// file positions.
class SectionMap {
 public:
  void Release();
  // Reads the headers through the open file; positions it from the start.
  // Nothing read is trusted: a short or damaged header yields what was read
  // in full, never an error.
  void Read(InputFile& file);

  // The address of a file position once the image is loaded, in 64 bits:
  // translated by the section that holds it (SectionIndex), or else the
  // position plus the image base.
  [[nodiscard]] std::uint64_t MemoryPosition(std::uint64_t filePosition) const;

  // The table index of the section whose raw data holds a file position; where
  // ranges overlap, the first of them in table order. Nothing for a position
  // outside every section's raw data, and for a file that is not a PE image.
  // A binary search, so it may be asked for every row of a list.
  [[nodiscard]] std::optional<std::uint32_t> SectionIndex(std::uint64_t filePosition) const;
  // That section's record (its name is what a Section column shows), or
  // nullptr where SectionIndex gives nothing. Valid until the next Read.
  [[nodiscard]] const SectionRecord* SectionAt(std::uint64_t filePosition) const;

  [[nodiscard]] std::span<const SectionRecord> Records() const { return records_; }
  [[nodiscard]] std::uint64_t ImageBase() const { return imageBase_; }

  // For tests and the fuzzer: build the map from headers already in memory.
  void ReadFromBytes(std::span<const std::uint8_t> fileBytes);

 private:
  // Indexes the records just read. Without the memory for the index the map
  // keeps no records, as when the table itself cannot be held.
  void BuildLookup();

  std::vector<SectionRecord> records_;
  SectionLookup lookup_;  // built from records_ by every read
  std::uint64_t imageBase_ = 0;
};

}  // namespace quillex
