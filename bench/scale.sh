#!/usr/bin/env bash
# The window at scale, in one run, each figure beside what it is held
# against: start-up and memory with 100 + 100 and 10,000 + 10,000 videos,
# rows added to sorted panes and removed from panes of thousands, the
# window's "Copy ->" and the transfer engine against cp + sync, and the
# longest wait between two turns of the event loop.
#
#   bench/scale.sh [RUNS]     (build first: scripts/build.sh; RUNS of the
#                              start-up, default 7)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
runs=${1:-7}

# The number in a line such as "median ... (100 videos each side): 52 ms".
figure() { sed -n "s/^$1.*: \([0-9][0-9.]*\) [a-zA-Z]*$/\1/p" | tail -n 1; }

echo "== start-up to both panes filled, and resident memory"
small=$("$root/bench/ui/startup.sh" "$runs" 100)
large=$("$root/bench/ui/startup.sh" "$runs" 10000)
small_ms=$(figure median <<<"$small")
large_ms=$(figure median <<<"$large")
small_mb=$(figure resident <<<"$small")
large_mb=$(figure resident <<<"$large")
echo "100 + 100:       $small_ms ms, $small_mb MB"
echo "10,000 + 10,000: $large_ms ms, $large_mb MB"
awk -v a="$large_ms" -v b="$small_ms" 'BEGIN { printf "ratio: %.2f x (goal <= 1.5; memory goal <= 150 MB)\n", a / b }'

echo "== rows of a pane: added sorted and unsorted, removed one by one"
QT_QPA_PLATFORM=offscreen "$root/build/bench/pane_bench" 2>/dev/null

echo "== the window's Copy -> against cp + sync"
QT_QPA_PLATFORM=offscreen "$root/build/bench/window_copy_bench" 2>/dev/null

echo "== the transfer engine (send) against cp + sync"
"$root/build/bench/transfer_bench" 2>/dev/null
