#!/usr/bin/env bash
# Times, in one run on the same files: a plain read of the file in 64 KiB
# pieces (the floor), GNU `strings -a` and `strings -a -el`, `llvm-strings -a`,
# `busybox strings -a` and `quillex-scan -q` (all three passes), and reports
# the medians, the ratios against quillex-scan, the whole scan and each pass
# as a multiple of the floor, and each program's peak memory.
#
# usage: bench/compare_strings.sh [BUILD_DIR] [FILE...]
# Without FILE it makes a file of 200 MB and, with BIG=1, one of 2 GB in
# $TMPDIR by concatenating the machine's shared libraries (real binaries:
# code, data, resources, strings). They are never part of the tree.
# The peers come from Debian's binutils, llvm and busybox packages, peak
# memory from its time package; a peer that is not installed is left out.
# RUNS (default 5) is the number of timed runs per program; the programs take
# turns run by run, so a busy machine slows them alike.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-$root/build}"
shift || true
scan="$build/src/cli/quillex-scan"
bench="$build/bench/engine_bench"
runs="${RUNS:-5}"
tmp="${TMPDIR:-/tmp}"

if [[ ! -x "$scan" ]]; then
  echo "no quillex-scan in $build; build first" >&2
  exit 1
fi

make_file() {  # path, size in bytes: the libraries, over again until it is big enough
  local file="$1" size="$2"
  if [[ -f "$file" && $(stat -c %s "$file") -ge $size ]]; then
    return
  fi
  : > "$file"
  local libs
  libs=$(find /usr/lib/x86_64-linux-gnu /usr/lib /usr/lib64 -name '*.so*' -type f 2>/dev/null | sort -u)
  while (($(stat -c %s "$file") < size)); do
    for lib in $libs; do
      cat "$lib" >> "$file"
      if (($(stat -c %s "$file") >= size)); then break; fi
    done
  done
}

files=("$@")
if ((${#files[@]} == 0)); then
  make_file "$tmp/quillex-bench-libs.bin" 209715200
  files=("$tmp/quillex-bench-libs.bin")
  if [[ "${BIG:-0}" == 1 ]]; then
    make_file "$tmp/quillex-bench-libs-2g.bin" 2147483648
    files+=("$tmp/quillex-bench-libs-2g.bin")
  fi
fi

llvm_strings=$(command -v llvm-strings || ls /usr/lib/llvm-*/bin/llvm-strings 2>/dev/null | tail -1 || true)
busybox=$(command -v busybox || true)

seconds() {  # the wall time of one run of a command, output thrown away
  local t0 t1
  t0=$(date +%s.%N)
  "$@" > /dev/null 2>&1 || true
  t1=$(date +%s.%N)
  awk -v a="$t0" -v b="$t1" 'BEGIN { printf "%.4f\n", b - a }'
}

median() {  # of the numbers on standard input
  sort -g | awk '{ v[NR] = $1 } END { if (NR % 2) print v[(NR + 1) / 2]; else print (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}

peak_kib() {  # peak resident memory of one run, in KiB (0 without GNU time)
  if [[ -x /usr/bin/time ]]; then
    /usr/bin/time -f %M "$@" 2>&1 > /dev/null | tail -1
  else
    echo 0
  fi
}

for file in "${files[@]}"; do
  size=$(stat -c %s "$file")
  echo "file: $file ($((size / 1048576)) MiB), $runs runs each, medians"
  cat "$file" > /dev/null  # warm the page cache so every contender reads from memory

  names=("read floor (64 KiB reads)" "quillex-scan -q" "strings -a" "strings -a -el")
  cmds=("dd if=$file of=/dev/null bs=65536 status=none" "$scan -q $file" "strings -a $file"
        "strings -a -el $file")
  if [[ -n "$llvm_strings" ]]; then
    names+=("llvm-strings -a"); cmds+=("$llvm_strings -a $file")
  fi
  if [[ -n "$busybox" ]]; then
    names+=("busybox strings -a"); cmds+=("$busybox strings -a $file")
  fi
  declare -A times=()
  for ((r = 0; r < runs; r++)); do
    for i in "${!cmds[@]}"; do
      # shellcheck disable=SC2086
      times[$i]+="$(seconds ${cmds[$i]}) "
    done
  done
  declare -a med=()
  for i in "${!cmds[@]}"; do
    med[$i]=$(echo "${times[$i]}" | tr ' ' '\n' | grep . | median)
  done
  floor=${med[0]}
  ours=${med[1]}
  for i in "${!cmds[@]}"; do
    # shellcheck disable=SC2086
    rss=$(peak_kib ${cmds[$i]})
    awk -v n="${names[$i]}" -v t="${med[$i]}" -v f="$floor" -v o="$ours" -v m="$rss" \
      'BEGIN { printf "  %-26s %8.3f s  %6.2fx floor  %6.2fx quillex-scan  peak %5d MiB\n", n, t, t / f, t / o, m / 1024 }'
  done

  # Each pass on its own, and each way of running the byte passes, from the
  # engine benchmark over the same file (the file is read into memory first
  # for the passes, so they show the passes' own cost).
  if [[ -x "$bench" ]]; then
    QUILLEX_BENCH_FILE="$file" "$bench" \
      --benchmark_filter='BM_ReadLoop|BM_AnsiPass|BM_UnicodePass|BM_WholeScanMode' \
      --benchmark_repetitions="$runs" --benchmark_report_aggregates_only=true \
      --benchmark_format=csv 2> /dev/null |
      awk -F, -v f="$floor" '
        /_median"/ {
          name = $1; gsub(/"/, "", name); sub(/_median$/, "", name)
          sub(/BM_WholeScanMode\/1.*/, "whole scan, sequential passes", name)
          sub(/BM_WholeScanMode\/2.*/, "whole scan, fused passes", name)
          sub(/BM_WholeScanMode\/3.*/, "whole scan, threaded passes", name)
          unit = $5; gsub(/"/, "", unit)
          ms = $3 * (unit == "ns" ? 1e-6 : unit == "us" ? 1e-3 : unit == "s" ? 1000 : 1)
          printf "  %-32s %8.3f s  %6.2fx floor\n", name, ms / 1000, ms / 1000 / f
        }'
  fi
  results=$("$scan" -q "$file" | grep -c . || true)
  echo "  quillex-scan output lines: $results"
  unset times med
done
