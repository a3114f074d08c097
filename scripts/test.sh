#!/usr/bin/env bash
# Sets everything up, builds Vantrel and runs every test.
# With --sanitize the build goes to build-asan/ with AddressSanitizer and
# UndefinedBehaviorSanitizer.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh"

configure=(-DVANTREL_WERROR=ON)
if [[ "${1:-}" == "--sanitize" ]]; then
  export BUILD_DIR=$root/build-asan
  # -O1 with line tables: the sanitizers' reports name the line, and the
  # build takes half the time of -O2 with full debug information.
  configure+=(-DVANTREL_SANITIZE=ON -DVANTREL_BENCH=OFF
              "-DCMAKE_C_FLAGS_RELWITHDEBINFO=-O1 -g1 -DNDEBUG" "-DCMAKE_CXX_FLAGS_RELWITHDEBINFO=-O1 -g1 -DNDEBUG")
  export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
  export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
fi
build_dir=${BUILD_DIR:-$root/build}

"$root/scripts/build.sh" "${configure[@]}"
ctest --test-dir "$build_dir" --output-on-failure --parallel "$(nproc)"
