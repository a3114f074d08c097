#!/usr/bin/env bash
# Builds Vantrel's Debian package (build/vantrel_VERSION_ARCH.deb, or in
# BUILD_DIR) and checks it: the desktop entry validates, `cmake --install`
# lays out the tree the program expects, and the package unpacks into a
# scratch root with the same tree and its programs run from there.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build_dir=${BUILD_DIR:-$root/build}
"$root/scripts/setup.sh"
"$root/scripts/build.sh"

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

# check_tree PREFIX: the installed files, where the window program looks
# for its helpers and its help page (beside its real folder).
check_tree() {
  local prefix=$1 file
  local files=(
    bin/vantrel-tool lib/vantrel/vantrel lib/vantrel/ErrorReport lib/vantrel/libvantrel-codecs.so
    share/applications/vantrel.desktop share/doc/vantrel/help.html share/doc/vantrel/README.md
  )
  for size in 16 24 32 48 64 128 256; do
    files+=("share/icons/hicolor/${size}x${size}/apps/vantrel.png")
  done
  for file in "${files[@]}"; do
    [[ -f "$prefix/$file" ]] || { echo "package: $prefix/$file is missing" >&2; return 1; }
  done
  [[ "$(readlink -f "$prefix/bin/vantrel")" == "$(readlink -f "$prefix/lib/vantrel/vantrel")" ]] ||
    { echo "package: $prefix/bin/vantrel does not lead to lib/vantrel/vantrel" >&2; return 1; }
  [[ -f "$prefix/lib/vantrel/../../share/doc/vantrel/help.html" ]] ||
    { echo "package: the help page is not where the program looks for it" >&2; return 1; }
  desktop-file-validate "$prefix/share/applications/vantrel.desktop"
  "$prefix/bin/vantrel-tool" --version
}

desktop-file-validate "$root/packaging/vantrel.desktop"

echo "package: cmake --install into a scratch prefix"
cmake --install "$build_dir" --prefix "$scratch/prefix" >/dev/null
check_tree "$scratch/prefix"

echo "package: cpack -G DEB"
(cd "$build_dir" && rm -f vantrel_*.deb && cpack -G DEB >/dev/null)
deb=$(ls "$build_dir"/vantrel_*.deb)
dpkg-deb --field "$deb" Package Version Architecture Depends Recommends

echo "package: $deb unpacked into a scratch root"
dpkg-deb --extract "$deb" "$scratch/root"
check_tree "$scratch/root/usr"
echo "package: $(basename "$deb") is good"
