#include "platform/PageMemory.h"

// Standard library
#include <cstddef>

// POSIX
#include <sys/mman.h>

namespace quillex {

void* MapPages(std::size_t bytes) {
  void* mapped = ::mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (mapped == MAP_FAILED) {
    return nullptr;
  }
  // A store of millions of results would otherwise fault its memory in one
  // 4 KiB page at a time; where the kernel offers huge pages, it takes 2 MiB
  // per fault.
#ifdef MADV_HUGEPAGE
  ::madvise(mapped, bytes, MADV_HUGEPAGE);
#endif
  return mapped;
}

void* GrowPages(void* base, std::size_t oldBytes, std::size_t newBytes) {
  // The pages move, not their bytes; the new room is fresh zero pages.
  void* moved = ::mremap(base, oldBytes, newBytes, MREMAP_MAYMOVE);
  return moved == MAP_FAILED ? nullptr : moved;
}

void UnmapPages(void* base, std::size_t bytes) {
  ::munmap(base, bytes);
}

}  // namespace quillex
