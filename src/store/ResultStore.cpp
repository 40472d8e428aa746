#include "store/ResultStore.h"

// Standard library
#include <cstdint>

namespace quillex {

void ResultStore::Clear() {
  positions_.Release();
  tags_.Release();
  pool_.Release();
  dropped_ = 0;
}

bool ResultStore::AddResult(std::uint32_t positionLow, std::uint32_t positionHigh, std::uint16_t id,
                            const char* text, StringKind kind) {
  // Room in both arrays comes first and the pool's append last: once the pool
  // has taken the text nothing can fail any more, so a refusal anywhere
  // leaves all three containers with the same count.
  if (!positions_.MakeRoom() || !tags_.MakeRoom() || pool_.Append(text) < 0) [[unlikely]] {
    ++dropped_;
    return false;
  }
  Record(positionLow, positionHigh, id, kind);
  return true;
}

bool ResultStore::AddResult(std::uint32_t positionLow, std::uint32_t positionHigh, std::uint16_t id,
                            const char* text, std::uint32_t length, StringKind kind) {
  if (!positions_.MakeRoom() || !tags_.MakeRoom() || pool_.Append(text, length) < 0) [[unlikely]] {
    ++dropped_;
    return false;
  }
  Record(positionLow, positionHigh, id, kind);
  return true;
}

void ResultStore::Record(std::uint32_t positionLow, std::uint32_t positionHigh, std::uint16_t id,
                         StringKind kind) {
  positions_.Append(FilePosition{positionLow, positionHigh});
  const std::uint32_t tag = (std::uint32_t{static_cast<std::uint16_t>(kind)} << 16) | id;
  tags_.Append(tag);
}

}  // namespace quillex
