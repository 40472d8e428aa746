#pragma once

// Standard library
#include <cstddef>
#include <cstdint>
#include <type_traits>

// Ours
#include "store/StoreAllocator.h"

namespace quillex {

// A growable block of plain items, one design for every item type of the
// result store. Items are only ever appended; the count and capacity are
// 32-bit and growth is refused, never wrapped, at the capacity limit.
template <typename Item>
class GrowableArray {
  static_assert(std::is_trivially_copyable_v<Item>, "items are moved as raw bytes");

 public:
  // Returned by Append when the item could not be stored. No valid index can
  // have this value, since the count never exceeds 0xFFFFFFFF.
  static constexpr std::uint32_t kAppendFailed = 0xFFFFFFFFu;
  static constexpr std::uint32_t kMaxCapacity = 0xFFFFFFFFu;

  // Starts empty; a non-zero initial capacity allocates that many items, and
  // a non-zero initial count no greater than the capacity puts that many
  // zero items in use. If that allocation fails the array stays empty.
  explicit GrowableArray(std::uint32_t initialCapacity = 0, std::uint32_t initialCount = 0) {
    if (initialCapacity == 0) {
      return;
    }
    void* block = CurrentStoreAllocator().reallocate(nullptr, 0, BlockSize(initialCapacity));
    if (block == nullptr) {
      return;
    }
    // The allocator hands out zeroed room, so the items in use are zero.
    items_ = static_cast<Item*>(block);
    capacity_ = initialCapacity;
    if (initialCount != 0 && initialCount <= capacity_) {
      count_ = initialCount;
    }
  }

  virtual ~GrowableArray() { Release(); }

  GrowableArray(const GrowableArray&) = delete;
  GrowableArray& operator=(const GrowableArray&) = delete;

  // Makes sure one more item fits, growing the block if needed: to 32 items
  // first, then by a sixteenth plus 16 items. Returns false, with the array
  // unchanged, when the memory is not available or the array is full.
  [[nodiscard]] bool MakeRoom() {
    if (count_ < capacity_) {
      return true;
    }
    if (count_ >= capacityLimit_) {
      return false;
    }
    std::uint64_t wanted = capacity_ == 0 ? 32u : std::uint64_t{capacity_} + capacity_ / 16 + 16;
    if (wanted > capacityLimit_) {
      wanted = capacityLimit_;
    }
    const auto newCapacity = static_cast<std::uint32_t>(wanted);
    void* block =
        CurrentStoreAllocator().reallocate(items_, BlockSize(capacity_), BlockSize(newCapacity));
    if (block == nullptr) {
      return false;
    }
    items_ = static_cast<Item*>(block);
    capacity_ = newCapacity;
    return true;
  }

  // Copies the item in; returns its index (the old count), or kAppendFailed
  // when MakeRoom could not make room for it.
  std::uint32_t Append(const Item& item) {
    if (!MakeRoom()) {
      return kAppendFailed;
    }
    items_[count_] = item;
    return count_++;
  }

  // Item `index`, or the shared all-zero item for any index past the end.
  [[nodiscard]] const Item& At(std::uint32_t index) const {
    return index < count_ ? items_[index] : kDefaultItem;
  }

  [[nodiscard]] std::uint32_t Count() const { return count_; }
  [[nodiscard]] std::uint32_t Capacity() const { return capacity_; }

  // Frees the block; the array can be appended to again afterwards.
  void Release() {
    if (items_ != nullptr) {
      CurrentStoreAllocator().release(items_);
      items_ = nullptr;
    }
    capacity_ = 0;
    count_ = 0;
  }

  // Lowers the capacity limit, so that tests can reach it without 4 GiB of
  // items. Values above kMaxCapacity are not possible; 0 restores the default.
  void SetCapacityLimit(std::uint32_t limit) { capacityLimit_ = limit == 0 ? kMaxCapacity : limit; }

 private:
  static std::size_t BlockSize(std::uint32_t items) {
    static_assert(sizeof(std::size_t) >= 8, "a 32-bit count of items must fit in size_t bytes");
    return std::size_t{items} * sizeof(Item);
  }

  static inline const Item kDefaultItem{};

  Item* items_ = nullptr;
  std::uint32_t capacity_ = 0;
  std::uint32_t count_ = 0;
  std::uint32_t capacityLimit_ = kMaxCapacity;
};

}  // namespace quillex
