#pragma once

// Standard library
#include <cstddef>

// Ours
#include "store/StoreAllocator.h"

namespace quillex::testing {

// Installs an allocator for the store's containers that counts its calls and
// refuses the next one once FailNext() or FailFrom() has armed it. Calls it
// lets through go to the allocator it replaced, which comes back when this
// object goes out of scope, so containers may outlive it.
class FailingAllocator {
 public:
  FailingAllocator() { State().previous = InstallStoreAllocator({&Reallocate, &Release}); }
  ~FailingAllocator() {
    InstallStoreAllocator(State().previous);
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
    StoreAllocator previous{};
  };
  static Counters& State() {
    static Counters counters;
    return counters;
  }
  static void* Reallocate(void* block, std::size_t oldSize, std::size_t size) {
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
    return state.previous.reallocate(block, oldSize, size);
  }
  static void Release(void* block) { State().previous.release(block); }
};

}  // namespace quillex::testing
