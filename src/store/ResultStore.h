#pragma once

#include <cstdint>

#include "store/GrowableArray.h"
#include "store/StringKind.h"
#include "store/StringPool.h"

namespace quillex {

struct FilePosition {
  std::uint32_t low = 0;
  std::uint32_t high = 0;
  [[nodiscard]] std::uint64_t Value() const { return (std::uint64_t{high} << 32) | low; }
};

using PositionArray = GrowableArray<FilePosition>;
using TagArray = GrowableArray<std::uint32_t>;

// Every result of the last scan, held in three containers that share one index.
// The three always hold the same number of items: a result the pool refuses
// (no memory, or the 32-bit pool limits) goes into none of them.
class ResultStore {
 public:
  // Releases all three containers; the pool keeps its growth steps.
  void Clear();
  // Copies the text. Returns false, and stores nothing, when the result was
  // refused; DroppedCount() counts those since the last Clear.
  bool AddResult(std::uint32_t positionLow, std::uint32_t positionHigh, std::uint16_t id,
                 const char* text, StringKind kind);
  // The same for a text of known length: its first `length` bytes, none of
  // them 0. Saves the passes measuring what they have just built.
  bool AddResult(std::uint32_t positionLow, std::uint32_t positionHigh, std::uint16_t id,
                 const char* text, std::uint32_t length, StringKind kind);

  [[nodiscard]] std::uint32_t Count() const { return pool_.Count(); }
  // (kind << 16) | id; 0 past the end.
  [[nodiscard]] std::uint32_t Tag(std::uint32_t index) const { return tags_.At(index); }
  // The two halves of the tag, so that no reader repeats its packing.
  [[nodiscard]] StringKind Kind(std::uint32_t index) const {
    return static_cast<StringKind>(Tag(index) >> 16);
  }
  // The resource ID; 0 for the other kinds and past the end.
  [[nodiscard]] std::uint16_t Id(std::uint32_t index) const {
    return static_cast<std::uint16_t>(Tag(index) & 0xFFFFu);
  }
  [[nodiscard]] std::uint64_t Position(std::uint32_t index) const {
    return positions_.At(index).Value();
  }
  // The text's bytes in the pool, or nullptr past the end.
  [[nodiscard]] const char* Text(std::uint32_t index) const { return pool_.Text(index); }
  // Its length without the NUL; 0 past the end.
  [[nodiscard]] std::uint32_t TextLength(std::uint32_t index) const {
    return pool_.TextLength(index);
  }
  [[nodiscard]] std::uint64_t DroppedCount() const { return dropped_; }

  [[nodiscard]] StringPool& Pool() { return pool_; }
  [[nodiscard]] const StringPool& Pool() const { return pool_; }

 private:
  // The position and tag of a result whose text the pool has just taken; both
  // arrays have room already.
  void Record(std::uint32_t positionLow, std::uint32_t positionHigh, std::uint16_t id,
              StringKind kind);

  PositionArray positions_;
  TagArray tags_;
  StringPool pool_;
  std::uint64_t dropped_ = 0;
};

}  // namespace quillex
