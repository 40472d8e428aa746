#!/usr/bin/env bash
# Builds the desktop program and starts it on the given file.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/deps.sh"
cmake -S "$root" -B "$root/build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo > /dev/null
cmake --build "$root/build" -j "$(nproc)" --target quillex quillex-scan
exec "$root/build/src/quillex" "$@"
