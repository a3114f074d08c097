#!/usr/bin/env bash
# Sets everything up, builds Vantrel and starts it.
#   scripts/run.sh [FOLDER]   starts on FOLDER (or the remembered folder)
#   scripts/run.sh demo       starts on a bundled demo computer folder and a
#                             simulated handheld
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh"
"$root/scripts/build.sh"

if [[ "${1:-}" == "demo" ]]; then
  exec "$root/scripts/demo.sh"
fi
exec "$root/build/vantrel" "$@"
