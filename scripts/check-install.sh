#!/usr/bin/env bash
# Checks what a finished build installs and packs: every file of
# `cmake --install` in a temporary prefix, the desktop entry and AppStream
# validators, manual pages that render without warnings, the programs run
# from the prefix, and the Debian package (its dependencies, its contents and
# lintian). Usage: scripts/check-install.sh [BUILD-DIR]
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$(cd "${1:-$root/build}" && pwd)"

id=io.github.quillex.Quillex
version="$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")"
[[ -n "$version" ]] || { echo "check-install: no project version in $build" >&2; exit 1; }

tmp="$(mktemp -d)"
trap 'rm -rf "$tmp"' EXIT
prefix="$tmp/usr"
failures=0
fail() {
  echo "check-install: $*" >&2
  failures=$((failures + 1))
}
# A program run as from a terminal without a display: nothing of the test
# environment's Qt platform may help it.
bare() { env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$@"; }

echo "== cmake --install into $prefix"
cmake --install "$build" --prefix "$prefix" > /dev/null

files=(
  bin/quillex
  bin/quillex-scan
  "share/applications/$id.desktop"
  "share/metainfo/$id.metainfo.xml"
  "share/icons/hicolor/scalable/apps/$id.svg"
  share/man/man1/quillex.1.gz
  share/man/man1/quillex-scan.1.gz
  share/bash-completion/completions/quillex-scan
  share/doc/quillex/copyright
  share/doc/quillex/changelog.gz
)
for size in 16 22 24 32 48 64 128 256; do
  files+=("share/icons/hicolor/${size}x${size}/apps/$id.png")
done
for f in "${files[@]}"; do
  [[ -f "$prefix/$f" ]] || fail "not installed: $f"
done
for size in 16 22 24 32 48 64 128 256; do
  png="$prefix/share/icons/hicolor/${size}x${size}/apps/$id.png"
  [[ -f "$png" ]] && ! file -b "$png" | grep -q "^PNG image data, $size x $size," &&
    fail "not a ${size}x${size} PNG: $png ($(file -b "$png"))"
done
svg="$prefix/share/icons/hicolor/scalable/apps/$id.svg"
[[ -f "$svg" ]] && ! grep -q '<svg' "$svg" && fail "not an SVG: $svg"
for f in bin/quillex bin/quillex-scan; do
  [[ -x "$prefix/$f" ]] || fail "not executable: $f"
done

echo "== programs run from the prefix"
for program in quillex quillex-scan; do
  out="$(bare "$prefix/bin/$program" --version)" || fail "$program --version failed"
  [[ "$out" == "$program $version" ]] || fail "$program --version printed '$out'"
done
help="$(bare "$prefix/bin/quillex" --help)" || fail "quillex --help failed"
[[ "$help" == "usage: quillex "* ]] || fail "quillex --help printed '$help'"

echo "== desktop entry, metainfo"
desktop-file-validate "$prefix/share/applications/$id.desktop" || fail "desktop-file-validate"
appstreamcli validate --no-net "$prefix/share/metainfo/$id.metainfo.xml" ||
  fail "appstreamcli validate"
# The tree as a whole: the metainfo's launchable names an installed desktop entry.
appstreamcli validate-tree --no-net "$tmp" > /dev/null || fail "appstreamcli validate-tree"
grep -q "<release version=\"$version\"" "$prefix/share/metainfo/$id.metainfo.xml" ||
  fail "metainfo lacks release $version"
grep -qx "Exec=quillex %f" "$prefix/share/applications/$id.desktop" || fail "desktop Exec"
grep -qx "Icon=$id" "$prefix/share/applications/$id.desktop" || fail "desktop Icon"
# Programs, libraries and objects, but no catch-all type: the launcher must not
# become the opener of every file a desktop cannot name.
mimetypes="$(sed -n 's/^MimeType=//p' "$prefix/share/applications/$id.desktop")"
for type in application/x-executable application/x-sharedlib application/x-object \
  application/x-ms-dos-executable application/vnd.microsoft.portable-executable; do
  [[ ";$mimetypes" == *";$type;"* ]] || fail "desktop MimeType lacks $type"
done
[[ ";$mimetypes" != *";application/octet-stream;"* ]] ||
  fail "desktop MimeType claims application/octet-stream"

echo "== manual pages"
for page in quillex quillex-scan; do
  gz="$prefix/share/man/man1/$page.1.gz"
  [[ -f "$gz" ]] || continue
  warnings="$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -E UTF-8 -l "$gz" 2>&1 > /dev/null)" ||
    fail "man $page failed"
  [[ -z "$warnings" ]] || fail "man $page warns: $warnings"
  # Read whole, so that an early match cannot cut a pipe short.
  zcat "$gz" | sed 's/\\-/-/g' > "$tmp/$page.1"
  head -n 1 "$tmp/$page.1" | grep -q "\"Quillex $version\"" || fail "$page.1 is not of $version"
done
# Every option of the scanner's usage is in its manual page and its completion.
"$prefix/bin/quillex-scan" --help > "$tmp/usage"
while read -r option; do
  grep -q -- "$option" "$tmp/quillex-scan.1" || fail "quillex-scan.1 lacks $option"
  grep -q -- "$option" "$prefix/share/bash-completion/completions/quillex-scan" ||
    fail "completion lacks $option"
done < <(grep -E '^  -' "$tmp/usage" | grep -oE -- '--?[a-z][a-z-]*' | sort -u)

echo "== bash completion"
completion="$(bash -c '
  source "$1"
  COMP_WORDS=(quillex-scan --pl); COMP_CWORD=1; _quillex_scan; echo "${COMPREPLY[*]}"
' _ "$prefix/share/bash-completion/completions/quillex-scan")"
[[ "$completion" == "--plain" ]] || fail "completion of --pl gave '$completion'"

echo "== Debian package"
(cd "$build" && cpack -G DEB -B "$tmp/package" > "$tmp/cpack.log") ||
  { cat "$tmp/cpack.log" >&2; fail "cpack"; }
deb="$tmp/package/quillex_${version}_$(dpkg --print-architecture).deb"
if [[ ! -f "$deb" ]]; then
  fail "no package $deb"
else
  dpkg-deb --info "$deb"
  # The window links Qt; both programs tag texts with the Public Suffix List
  # and filter rows with RE2.
  for package in libqt6widgets6 libpsl5 libre2-9; do
    dpkg-deb --field "$deb" Depends | grep -q "$package" ||
      fail "the package does not depend on $package"
  done
  dpkg-deb -x "$deb" "$tmp/root"
  # Every shared library the programs load themselves is in a package that
  # the package depends on.
  depends="$(dpkg-deb --field "$deb" Depends)"
  for program in quillex quillex-scan; do
    binary="$tmp/root/usr/bin/$program"
    libraries="$(ldd "$binary" | awk '/=> \//{ print $1, $3 }')"
    for needed in $(readelf -d "$binary" | sed -n 's/.*(NEEDED).*\[\(.*\)\]/\1/p'); do
      path="$(awk -v n="$needed" '$1 == n { print $2 }' <<< "$libraries")"
      [[ -n "$path" ]] || { fail "$program: $needed not found"; continue; }
      owner="$(dpkg -S "$path" 2>/dev/null || dpkg -S "$(realpath "$path")" 2>/dev/null || true)"
      owner="${owner%%:*}"
      [[ -n "$owner" && "$depends" == *"$owner"* ]] ||
        fail "$program loads $needed (package '${owner}'), which the package does not depend on"
    done
  done
  for f in "${files[@]}"; do
    [[ -f "$tmp/root/usr/$f" ]] || fail "not in the package: /usr/$f"
  done
  for program in quillex quillex-scan; do
    file -b "$tmp/root/usr/bin/$program" | grep -q ', stripped' || fail "$program is not stripped"
    out="$(bare "$tmp/root/usr/bin/$program" --version)" || fail "packed $program --version"
    [[ "$out" == "$program $version" ]] || fail "packed $program --version printed '$out'"
  done
  echo "== lintian"
  lintian --fail-on error "$deb" || fail "lintian reports errors"
fi

if ((failures)); then
  echo "check-install: $failures check(s) failed" >&2
  exit 1
fi
echo "Install checks passed."
