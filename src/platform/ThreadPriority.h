#pragma once

namespace quillex {

// Priorities are nice values of the calling thread alone: lower is more
// urgent, 0 is normal. A scan runs one step above normal.
inline constexpr int kAboveNormalStep = 1;

// The calling thread's current nice value.
[[nodiscard]] int GetThreadPriority();

// Sets the calling thread's nice value. Returns false when the system refuses,
// which an unprivileged process meets when it asks for a more urgent value;
// the priority is then unchanged and the caller simply goes on.
bool SetThreadPriority(int niceValue);

}  // namespace quillex
