#!/usr/bin/env bash
# Configures and builds Vantrel into build/ (or the folder in BUILD_DIR).
# Extra arguments go to CMake's configure step.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build_dir=${BUILD_DIR:-$root/build}
generator=()
if command -v ninja >/dev/null; then
  generator=(-G Ninja)
fi
if [[ ! -f "$build_dir/CMakeCache.txt" ]]; then
  cmake -S "$root" -B "$build_dir" "${generator[@]}" -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@"
elif (($# > 0)); then
  cmake -S "$root" -B "$build_dir" "$@"
fi
cmake --build "$build_dir" --parallel "$(nproc)"
