#pragma once

#include <cstddef>

namespace quillex {

// The raw memory the result store's containers grow into. It is a pair of
// plain functions so that tests can install one that fails on cue and check
// that a refused growth leaves every container consistent.
struct StoreAllocator {
  // realloc semantics: a null block allocates, the contents up to the smaller
  // size are kept, and a null return means the old block is untouched.
  void* (*reallocate)(void* block, std::size_t size);
  // Frees a block from `reallocate`; a null block is ignored.
  void (*release)(void* block);
};

// The allocator in use now: the C library's unless a test installed another.
[[nodiscard]] const StoreAllocator& CurrentStoreAllocator();
// Installs `allocator` and returns the one it replaces. Blocks must be freed
// by the allocator that made them, so tests restore the old one before their
// containers are released.
StoreAllocator InstallStoreAllocator(const StoreAllocator& allocator);

}  // namespace quillex
