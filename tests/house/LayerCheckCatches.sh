#!/usr/bin/env bash
# The layer check itself: a tree with an upward include and one with an
# internal header of the title library must both be refused, and a sound
# one accepted.
#
#   LayerCheckCatches.sh LAYER-CHECK
set -euo pipefail
check=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

make_tree() {
  rm -rf "$work/tree"
  mkdir -p "$work/tree/platform" "$work/tree/catalogue" "$work/tree/ui" "$work/tree/psptitle"
  echo '#include "platform/FileSystem.h"' >"$work/tree/catalogue/Scan.cpp"
  echo '#include "psptitle/psptitle.h"' >>"$work/tree/catalogue/Scan.cpp"
  echo '#include "catalogue/Scan.h"' >"$work/tree/ui/Main.cpp"
}

make_tree
bash "$check" "$work/tree" >/dev/null || { echo "FAILED: a sound tree was refused"; exit 1; }

echo '#include "ui/Main.h"' >>"$work/tree/platform/Drives.cpp"
if bash "$check" "$work/tree" >"$work/out"; then
  echo "FAILED: an upward include was let through"
  exit 1
fi
grep -q "platform/Drives.cpp:1: platform includes ui/Main.h" "$work/out" || { echo "FAILED: the fault is not named"; cat "$work/out"; exit 1; }

make_tree
echo '#include "psptitle/Bytes.h"' >>"$work/tree/catalogue/Scan.cpp"
if bash "$check" "$work/tree" >"$work/out"; then
  echo "FAILED: an internal header of the title library was let through"
  exit 1
fi
grep -q "catalogue/Scan.cpp:3: catalogue includes psptitle/Bytes.h, an internal header" "$work/out" || { echo "FAILED: the fault is not named"; cat "$work/out"; exit 1; }
echo "passed: upward and internal includes are refused, sound ones accepted"
