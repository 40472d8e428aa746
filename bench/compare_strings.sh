#!/usr/bin/env bash
# Times, in one run on the same file: a plain 16 KiB read loop (the floor),
# GNU `strings -a`, and `quillex-scan -q` (all three passes), and reports the
# ratios, each pass against the floor, and quillex-scan's peak memory.
#
# usage: bench/compare_strings.sh [BUILD_DIR] [FILE]
# Without FILE it makes a test file of at least 200 MB by concatenating the
# machine's shared libraries (real binaries: code, data, resources, strings).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-$root/build}"
file="${2:-}"
scan="$build/src/cli/quillex-scan"
runs="${RUNS:-3}"

if [[ ! -x "$scan" ]]; then
  echo "no quillex-scan in $build; build first" >&2
  exit 1
fi

if [[ -z "$file" ]]; then
  file="${TMPDIR:-/tmp}/quillex-bench-libs.bin"
  if [[ ! -f "$file" || $(stat -c %s "$file") -lt 200000000 ]]; then
    : > "$file"
    for lib in $(find /usr/lib /usr/lib64 /usr/libexec -name '*.so*' -type f 2>/dev/null | sort); do
      cat "$lib" >> "$file"
      if (( $(stat -c %s "$file") >= 209715200 )); then break; fi
    done
  fi
fi
size=$(stat -c %s "$file")
echo "file: $file ($((size / 1048576)) MiB)"
cat "$file" > /dev/null  # warm the page cache so every contender reads from memory

best() {  # runs a command $runs times, prints the fastest wall time in seconds
  local min=""
  for ((i = 0; i < runs; i++)); do
    local t0 t1
    t0=$(date +%s.%N)
    "$@" > /dev/null
    t1=$(date +%s.%N)
    min=$(awk -v a="$t0" -v b="$t1" -v m="$min" 'BEGIN { d = b - a; if (m == "" || d < m) m = d; print m }')
  done
  echo "$min"
}

floor=$(best dd if="$file" of=/dev/null bs=16384 status=none)
gnu=$(best strings -a "$file")
ours=$(best "$scan" -q "$file")
rss=$(/usr/bin/time -f %M "$scan" -q "$file" 2>&1 >/dev/null | tail -1)
timings=$("$scan" -q --timings "$file" 2>&1 >/dev/null || true)
results=$("$scan" -q "$file" | grep -c . || true)

printf 'read floor (dd bs=16384): %8.3f s\n' "$floor"
printf 'strings -a:               %8.3f s\n' "$gnu"
printf 'quillex-scan -q:          %8.3f s   (strings -a / quillex-scan = %.2fx)\n' "$ours" \
  "$(awk -v a="$gnu" -v b="$ours" 'BEGIN { print a / b }')"
if [[ -n "$timings" ]]; then
  echo "$timings" | while read -r name ms _; do
    awk -v n="$name" -v ms="$ms" -v f="$floor" \
      'BEGIN { printf "  %-10s %8.3f s   (%.2fx the read floor)\n", n, ms / 1000, ms / 1000 / f }'
  done
fi
echo "peak memory of quillex-scan: $((rss / 1024)) MiB (output lines: $results)"
