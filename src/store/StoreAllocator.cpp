#include "store/StoreAllocator.h"

// Standard library
#include <array>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <mutex>

// Ours
#include "platform/PageMemory.h"

namespace quillex {

namespace {

// From this size on a block is a mapping of its own, in whole huge pages.
constexpr std::size_t kMapFrom = std::size_t{1} << 20;

struct Mapping {
  void* base = nullptr;
  std::size_t bytes = 0;
};

// The mappings handed out. A store holds a handful of blocks, so a small
// table serves; when it is full, blocks come from the C library instead. The
// lock matters because the Unicode pass of a threaded scan fills a store of
// its own on another thread; blocks grow rarely, so it is never contended.
struct Mappings {
  std::mutex lock;
  std::array<Mapping, 32> table{};

  Mapping* Find(const void* base) {
    if (base == nullptr) {
      return nullptr;
    }
    for (Mapping& m : table) {
      if (m.base == base) {
        return &m;
      }
    }
    return nullptr;
  }
};

Mappings& TheMappings() {
  static Mappings mappings;
  return mappings;
}

void* FromLibrary(void* block, std::size_t oldSize, std::size_t size) {
  void* grown = std::realloc(block, size);
  if (grown != nullptr && size > oldSize) {
    std::memset(static_cast<char*>(grown) + oldSize, 0, size - oldSize);
  }
  return grown;
}

void* SystemReallocate(void* block, std::size_t oldSize, std::size_t size) {
  // realloc(block, 0) may free the block; the containers never ask for 0.
  size = size == 0 ? 1 : size;
  Mappings& mappings = TheMappings();
  const std::lock_guard guard(mappings.lock);
  Mapping* mapping = mappings.Find(block);
  if (mapping == nullptr && size < kMapFrom) {
    return FromLibrary(block, oldSize, size);
  }
  const std::size_t bytes = (size + kHugePageSize - 1) / kHugePageSize * kHugePageSize;
  if (mapping != nullptr) {
    if (size < oldSize) {
      // What lies past a shrunk block must be zero when it grows again.
      std::memset(static_cast<char*>(block) + size, 0, oldSize - size);
    }
    if (bytes <= mapping->bytes) {
      return block;
    }
    void* moved = GrowPages(mapping->base, mapping->bytes, bytes);
    if (moved == nullptr) {
      return nullptr;
    }
    mapping->base = moved;
    mapping->bytes = bytes;
    return moved;
  }
  Mapping* slot = nullptr;
  for (Mapping& m : mappings.table) {
    if (m.base == nullptr) {
      slot = &m;
      break;
    }
  }
  if (slot == nullptr) {
    return FromLibrary(block, oldSize, size);
  }
  void* mapped = MapPages(bytes);
  if (mapped == nullptr) {
    return nullptr;
  }
  if (block != nullptr) {
    std::memcpy(mapped, block, oldSize);
    std::free(block);
  }
  *slot = Mapping{mapped, bytes};
  return mapped;
}

void SystemRelease(void* block) {
  Mappings& mappings = TheMappings();
  const std::lock_guard guard(mappings.lock);
  if (Mapping* mapping = mappings.Find(block)) {
    UnmapPages(mapping->base, mapping->bytes);
    *mapping = Mapping{};
    return;
  }
  std::free(block);
}

StoreAllocator& Installed() {
  static StoreAllocator allocator{&SystemReallocate, &SystemRelease};
  return allocator;
}

}  // namespace

const StoreAllocator& CurrentStoreAllocator() {
  return Installed();
}

StoreAllocator InstallStoreAllocator(const StoreAllocator& allocator) {
  const StoreAllocator previous = Installed();
  Installed() = allocator;
  return previous;
}

}  // namespace quillex
