#!/usr/bin/env bash
# Builds the libFuzzer targets with clang into build-fuzz/ (or BUILD_DIR).
#   scripts/fuzz.sh --replay        runs every saved input in fuzz/corpus/ once
#   scripts/fuzz.sh --run SECONDS   fuzzes each target for SECONDS; new inputs
#                                   go to build-fuzz/corpus/, crashes to
#                                   build-fuzz/crashes/
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build_dir=${BUILD_DIR:-$root/build-fuzz}
mode=${1:-}
case "$mode" in
  --replay) ;;
  --run) seconds=${2:?usage: scripts/fuzz.sh --run SECONDS} ;;
  *) echo "usage: scripts/fuzz.sh --replay | --run SECONDS" >&2; exit 2 ;;
esac

generator=()
if command -v ninja >/dev/null; then
  generator=(-G Ninja)
fi
if [[ ! -f "$build_dir/CMakeCache.txt" ]]; then
  CC=clang CXX=clang++ cmake -S "$root" -B "$build_dir" "${generator[@]}" \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVANTREL_FUZZ=ON -DVANTREL_TESTS=OFF -DVANTREL_BENCH=OFF
fi

targets=()
for source in "$root"/fuzz/*.cpp; do
  targets+=("$(basename "$source" .cpp)")
done
cmake --build "$build_dir" --parallel "$(nproc)" --target "${targets[@]}"

export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
for target in "${targets[@]}"; do
  saved=$root/fuzz/corpus/$target
  mkdir -p "$saved"
  if [[ "$mode" == --replay ]]; then
    "$build_dir/$target" -runs=0 "$saved"
  else
    work=$build_dir/corpus/$target
    mkdir -p "$work" "$build_dir/crashes"
    "$build_dir/$target" -max_total_time="$seconds" -max_len=65536 -timeout=10 \
      -artifact_prefix="$build_dir/crashes/$target-" "$work" "$saved"
  fi
done
