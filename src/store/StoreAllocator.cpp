#include "store/StoreAllocator.h"

// Standard library
#include <cstddef>
#include <cstdlib>

namespace quillex {

namespace {

void* SystemReallocate(void* block, std::size_t size) {
  // realloc(block, 0) may free the block; the containers never ask for 0.
  return std::realloc(block, size == 0 ? 1 : size);
}

void SystemRelease(void* block) {
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
