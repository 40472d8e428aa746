#pragma once

// Standard library
#include <cstddef>
#include <cstdlib>

// Ours
#include "store/StoreAllocator.h"

namespace quillex::testing {

// Installs an allocator for the store's containers that counts its calls and
// refuses the next one once FailNext() or FailFrom() has armed it. The
// previous allocator comes back when this object goes out of scope; blocks are
// plain malloc blocks either way, so containers may outlive it.
class FailingAllocator {
 public:
  FailingAllocator() { previous_ = InstallStoreAllocator({&Reallocate, &Release}); }
  ~FailingAllocator() {
    InstallStoreAllocator(previous_);
    State() = {};
  }
  FailingAllocator(const FailingAllocator&) = delete;
  FailingAllocator& operator=(const FailingAllocator&) = delete;

  // Refuses the allocation that is `calls` calls from now (0: the next one)
  // and, with `sticky`, every one after it.
  void FailAfter(int calls, bool sticky = false) {
    State().failIn = calls;
    State().sticky = sticky;
  }
  void FailNext() { FailAfter(0); }
  void Disarm() { State().failIn = -1; }
  [[nodiscard]] int Calls() const { return State().calls; }
  [[nodiscard]] int Failures() const { return State().failures; }

 private:
  struct Counters {
    int calls = 0;
    int failures = 0;
    int failIn = -1;
    bool sticky = false;
  };
  static Counters& State() {
    static Counters counters;
    return counters;
  }
  static void* Reallocate(void* block, std::size_t size) {
    Counters& state = State();
    ++state.calls;
    if (state.failIn == 0) {
      ++state.failures;
      if (!state.sticky) {
        state.failIn = -1;
      }
      return nullptr;
    }
    if (state.failIn > 0) {
      --state.failIn;
    }
    return std::realloc(block, size);
  }
  static void Release(void* block) { std::free(block); }

  StoreAllocator previous_{};
};

}  // namespace quillex::testing
