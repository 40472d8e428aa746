#!/usr/bin/env bash
# Installs, with apt, whatever a fresh Debian 12 machine lacks to build and
# test Quillex. Does nothing when everything is already there.
set -euo pipefail

packages=(cmake ninja-build g++ make pkg-config libgtest-dev libgmock-dev libbenchmark-dev
          qt6-base-dev qt6-base-dev-tools qt6-svg-dev libgl-dev binutils clang-format
          # The Public Suffix List for the domain tag (the program then needs
          # libpsl5); RE2 for the row filter's regular expressions and the tag
          # benchmark's comparison.
          libpsl-dev libre2-dev
          # Installing and packaging: CPack's dependency list (dpkg-shlibdeps,
          # file) and the checks of scripts/check-install.sh.
          dpkg-dev file desktop-file-utils appstream lintian man-db groff-base)
# clang and its sanitizer and libFuzzer runtimes, for the short fuzz run of
# scripts/test.sh: wanted on CI machines unless QUILLEX_WANT_FUZZ=0 says not.
want_fuzz="${QUILLEX_WANT_FUZZ:-}"
if [[ -z "$want_fuzz" ]]; then
  if [[ -n "${CI:-}" && "${CI:-}" != false && "${CI:-}" != 0 ]]; then want_fuzz=1; else want_fuzz=0; fi
fi
if [[ "$want_fuzz" == 1 ]]; then
  packages+=(clang libclang-rt-14-dev)
fi

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
if ((${#missing[@]})); then
  echo "Installing: ${missing[*]}"
  sudo=""
  if [[ $(id -u) -ne 0 ]]; then sudo="sudo"; fi
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
