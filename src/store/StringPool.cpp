#include "store/StringPool.h"

// Standard library
#include <algorithm>
#include <cstdint>
#include <cstring>

// Ours
#include "store/StoreAllocator.h"

namespace quillex {

void StringPool::SetByteStep(std::uint32_t value) {
  if (value != 0) {
    byteStep_ = value;
  }
}

void StringPool::SetIndexStep(std::uint32_t value) {
  if (value != 0) {
    indexStep_ = value;
  }
}

void StringPool::SetLimits(std::uint32_t maxBytes, std::uint32_t maxCount) {
  byteLimit_ = maxBytes == 0 ? kMaxBytes : maxBytes;
  countLimit_ = maxCount == 0 ? kMaxCount : std::min(maxCount, kMaxCount);
}

bool StringPool::GrowBytes(std::uint32_t capacity) {
  // The old tail past the used bytes is zero already, and the allocator hands
  // out the new room zeroed, so every byte past the texts stays zero without
  // the pool touching (and faulting in) memory it has not written yet.
  void* block = CurrentStoreAllocator().reallocate(bytes_, byteCapacity_, capacity);
  if (block == nullptr) {
    return false;
  }
  bytes_ = static_cast<char*>(block);
  byteCapacity_ = capacity;
  return true;
}

bool StringPool::GrowIndex(std::uint32_t capacity) {
  void* block = CurrentStoreAllocator().reallocate(
      offsets_, std::size_t{indexCapacity_} * sizeof(std::uint32_t),
      std::size_t{capacity} * sizeof(std::uint32_t));
  if (block == nullptr) {
    return false;
  }
  offsets_ = static_cast<std::uint32_t*>(block);
  indexCapacity_ = capacity;
  return true;
}

std::int32_t StringPool::Append(const char* text) {
  if (text == nullptr) {
    return Append("", 0);
  }
  const std::size_t length = std::strlen(text);
  if (length >= byteLimit_) [[unlikely]] {
    return -1;
  }
  return Append(text, static_cast<std::uint32_t>(length));
}

std::int32_t StringPool::Append(const char* source, std::uint32_t length) {
  if (count_ >= countLimit_) [[unlikely]] {
    return -1;
  }
  // The bytes in use once this text is in. The capacity must stay strictly
  // above it and cannot pass the byte limit, so this also keeps every 32-bit
  // sum below from wrapping.
  const std::uint64_t needed = std::uint64_t{usedBytes_} + length + 1;
  if (needed >= byteLimit_) [[unlikely]] {
    return -1;
  }

  if (byteCapacity_ == 0) {
    // First use: room for the step plus this text, and a first index block.
    const auto firstBytes = static_cast<std::uint32_t>(
        std::min<std::uint64_t>(std::uint64_t{byteStep_} + length, byteLimit_));
    if (!GrowBytes(firstBytes)) {
      return -1;
    }
    if (!GrowIndex(indexStep_)) {
      Release();
      return -1;
    }
  }

  if (needed >= byteCapacity_) {
    const auto newCapacity = static_cast<std::uint32_t>(
        std::min<std::uint64_t>(std::uint64_t{byteStep_} + needed, byteLimit_));
    if (!GrowBytes(newCapacity)) {
      return -1;
    }
  }

  if (count_ >= indexCapacity_) {
    const auto newCapacity = static_cast<std::uint32_t>(
        std::min<std::uint64_t>(std::uint64_t{indexStep_} + count_, 0xFFFFFFFFu));
    if (!GrowIndex(newCapacity)) {
      return -1;
    }
  }

  std::memcpy(bytes_ + usedBytes_, source, length);
  bytes_[usedBytes_ + length] = '\0';
  offsets_[count_] = usedBytes_;
  usedBytes_ = static_cast<std::uint32_t>(needed);
  return static_cast<std::int32_t>(count_++);
}

void StringPool::Release() {
  CurrentStoreAllocator().release(bytes_);
  CurrentStoreAllocator().release(offsets_);
  bytes_ = nullptr;
  offsets_ = nullptr;
  usedBytes_ = 0;
  byteCapacity_ = 0;
  indexCapacity_ = 0;
  count_ = 0;
}

}  // namespace quillex
