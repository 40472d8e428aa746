#!/usr/bin/env bash
# Builds Quillex and runs every test: the normal build, then the same suite
# under AddressSanitizer and UndefinedBehaviorSanitizer, the engine tests under
# ThreadSanitizer; the format check comes first.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/deps.sh"

jobs="${QUILLEX_JOBS:-$(nproc)}"
export QT_QPA_PLATFORM=offscreen

# Formatting is checked by machine first, as it takes a moment: every C++
# file must already be formatted.
files=$(cd "$root" && git ls-files '*.cpp' '*.h')
if [[ -n "$files" ]]; then
  (cd "$root" && clang-format --dry-run --Werror $files)
fi

build() {  # dir, extra cmake args...
  local dir="$1"; shift
  cmake -S "$root" -B "$dir" -G Ninja -DQUILLEX_BUILD_BENCH=ON "$@" > /dev/null
  cmake --build "$dir" -j "$jobs"
}

build "$root/build" -DCMAKE_BUILD_TYPE=RelWithDebInfo
ctest --test-dir "$root/build" --output-on-failure -j "$jobs"

if [[ "${QUILLEX_SKIP_SANITIZERS:-0}" != 1 ]]; then
  build "$root/build-asan" -DCMAKE_BUILD_TYPE=Debug -DENABLE_SANITIZERS=ON -DQUILLEX_BUILD_BENCH=OFF
  ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
    ctest --test-dir "$root/build-asan" --output-on-failure -j "$jobs"
fi

# The engine again under ThreadSanitizer, for the threaded byte passes. The
# test over a file of more than 4 GiB is too slow there.
if [[ "${QUILLEX_SKIP_TSAN:-0}" != 1 ]]; then
  build "$root/build-tsan" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DENABLE_TSAN=ON \
    -DQUILLEX_BUILD_GUI=OFF -DQUILLEX_BUILD_BENCH=OFF
  TSAN_OPTIONS=halt_on_error=1 ctest --test-dir "$root/build-tsan" --output-on-failure -j "$jobs" -LE large
fi

echo "All tests passed."
