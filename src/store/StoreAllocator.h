#pragma once

#include <cstddef>

namespace quillex {

// The raw memory the result store's containers grow into. It is a pair of
// plain functions so that tests can install one that fails on cue and check
// that a refused growth leaves every container consistent.
struct StoreAllocator {
  // Allocates (a null block), grows or shrinks a block to `size` bytes.
  // `oldSize` is the size the block was last given (0 for a null block): that
  // many bytes are kept, and every byte past them is zero, so a container
  // never has to clear the room it gains. A null return means the old block
  // is untouched.
  void* (*reallocate)(void* block, std::size_t oldSize, std::size_t size);
  // Frees a block from `reallocate`; a null block is ignored.
  void (*release)(void* block);
};

// The allocator in use now: the system's unless a test installed another.
// Large blocks are mappings of their own that grow by remapping, so growth
// neither copies nor touches the new room; the kernel hands it out zeroed, a
// huge page at a time where it can. Small blocks come from the C library.
// Either kind may be released or grown by it whatever allocator was
// installed when the block was made.
[[nodiscard]] const StoreAllocator& CurrentStoreAllocator();
// Installs `allocator` and returns the one it replaces. Blocks must be freed
// by an allocator that can take them; the system's takes any block from
// malloc, so test allocators build on it or on malloc.
StoreAllocator InstallStoreAllocator(const StoreAllocator& allocator);

}  // namespace quillex
