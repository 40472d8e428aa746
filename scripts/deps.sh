#!/usr/bin/env bash
# Installs, with apt, whatever a fresh Debian 12 machine lacks to build and
# test Quillex. Does nothing when everything is already there.
set -euo pipefail

packages=(cmake ninja-build g++ make pkg-config libgtest-dev libgmock-dev libbenchmark-dev
          qt6-base-dev qt6-base-dev-tools qt6-svg-dev libgl-dev binutils clang-format
          # Installing and packaging: CPack's dependency list (dpkg-shlibdeps,
          # file) and the checks of scripts/check-install.sh.
          dpkg-dev file desktop-file-utils appstream lintian man-db groff-base)
if [[ "${QUILLEX_WANT_FUZZ:-0}" == 1 ]]; then
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
