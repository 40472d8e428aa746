#!/usr/bin/env bash
# Builds Quillex and runs every test: the format check, the normal build with
# what it installs and packs, then the same suite under AddressSanitizer and
# UndefinedBehaviorSanitizer, again under ThreadSanitizer, and, where clang is
# installed, a short fuzz run of the scan engine.
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
# What the build installs and packs: files, validators, manual pages, lintian.
"$root/scripts/check-install.sh" "$root/build"

if [[ "${QUILLEX_SKIP_SANITIZERS:-0}" != 1 ]]; then
  build "$root/build-asan" -DCMAKE_BUILD_TYPE=Debug -DENABLE_SANITIZERS=ON -DQUILLEX_BUILD_BENCH=OFF
  ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
    ctest --test-dir "$root/build-asan" --output-on-failure -j "$jobs"
fi

# The suite again under ThreadSanitizer: the threaded byte passes, the row
# filter and the tagger on two threads, and the window's background tasks
# beside user input (a sort replaced by a second click or taken back by
# Escape, a Copy beside a resize, a scan started while a task runs). Qt is
# not instrumented; tests/tsan-qt.supp says what that costs. The test over a
# file of more than 4 GiB is too slow there.
if [[ "${QUILLEX_SKIP_TSAN:-0}" != 1 ]]; then
  build "$root/build-tsan" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DENABLE_TSAN=ON \
    -DQUILLEX_BUILD_BENCH=OFF
  TSAN_OPTIONS="halt_on_error=1 suppressions=$root/tests/tsan-qt.supp" \
    ctest --test-dir "$root/build-tsan" --output-on-failure -j "$jobs" -LE large
fi

# The fuzz target under ASan and UBSan for QUILLEX_FUZZ_SECONDS (0 skips it),
# starting from the seed corpus. New inputs go to a working corpus in the
# build directory, so the seeds in the tree stay as they are; a crash fails
# the run and its input is kept in build-fuzz/crashes.
fuzz_seconds="${QUILLEX_FUZZ_SECONDS:-60}"
if [[ "$fuzz_seconds" != 0 ]]; then
  if command -v clang++ > /dev/null && command -v clang > /dev/null; then
    fuzz_dir="$root/build-fuzz"
    CC=clang CXX=clang++ build "$fuzz_dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUILLEX_FUZZ=ON \
      -DQUILLEX_BUILD_GUI=OFF -DQUILLEX_BUILD_TESTS=OFF -DQUILLEX_BUILD_BENCH=OFF
    mkdir -p "$fuzz_dir/corpus" "$fuzz_dir/crashes"
    echo "Fuzzing for $fuzz_seconds s..."
    if ! UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
        "$fuzz_dir/fuzz/pe_fuzz" -max_total_time="$fuzz_seconds" -print_final_stats=1 \
        -artifact_prefix="$fuzz_dir/crashes/" "$fuzz_dir/corpus" "$root/fuzz/corpus" \
        > "$fuzz_dir/fuzz.log" 2>&1; then
      tail -n 60 "$fuzz_dir/fuzz.log"
      echo "The fuzzer found a crash. Its input is kept in $fuzz_dir/crashes/:"
      ls -l "$fuzz_dir/crashes/"
      echo "Replay it with: $fuzz_dir/fuzz/pe_fuzz <input>"
      exit 1
    fi
    grep -E "^stat::number_of_executed_units" "$fuzz_dir/fuzz.log" || true
  else
    echo "clang is not installed: the fuzz run is skipped (QUILLEX_WANT_FUZZ=1 scripts/deps.sh installs it)."
  fi
fi

echo "All tests passed."
