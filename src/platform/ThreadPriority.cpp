#include "platform/ThreadPriority.h"

// Standard library
#include <cerrno>

// POSIX
#include <sys/resource.h>
#include <unistd.h>

namespace quillex {

namespace {

// On Linux the "process" argument of get/setpriority names a single thread
// when given a thread id, which is what a per-thread priority needs.
id_t ThisThread() {
  return static_cast<id_t>(::gettid());
}

}  // namespace

int GetThreadPriority() {
  errno = 0;
  const int value = ::getpriority(PRIO_PROCESS, ThisThread());
  // -1 is also a valid nice value; only errno tells a failure apart.
  if (value == -1 && errno != 0) {
    return 0;
  }
  return value;
}

bool SetThreadPriority(int niceValue) {
  return ::setpriority(PRIO_PROCESS, ThisThread(), niceValue) == 0;
}

}  // namespace quillex
