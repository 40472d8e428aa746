#!/usr/bin/env bash
# Builds the Debian package build/quillex_<version>_<arch>.deb: only the two
# programs and their data files are built, then CPack packs what
# `cmake --install` would install, with the dependencies dpkg-shlibdeps finds.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/deps.sh"
cmake -S "$root" -B "$root/build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo > /dev/null
cmake --build "$root/build" -j "$(nproc)" --target quillex quillex-scan quillex_icons quillex_docs
(cd "$root/build" && cpack -G DEB)
