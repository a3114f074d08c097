#!/usr/bin/env bash
# Start-up benchmark: from process start to both panes filled, with COUNT
# videos on each side (real handheld videos with thumbnails, one made by
# FFmpeg and linked under every name), under Xvfb. Prints each run, the
# median and the window's resident memory once the panes are filled.
#
#   bench/ui/startup.sh [RUNS] [COUNT]   (build first: scripts/build.sh;
#                                         COUNT defaults to 1000)
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
runs=${1:-7}
count=${2:-1000}
work=${VANTREL_BENCH_DIR:-/tmp/vantrel-startup-bench-$count}
source "$root/scripts/lib/simulated-handheld.sh"

computer=$work/computer
handheld=$work/handheld
videos=$handheld/MP_ROOT/100MNV01
if [[ ! -f $videos/M4V$(printf %05d $count).MP4 ]]; then
  echo "startup: making $count videos on each side in $work"
  rm -rf "$work"
  mkdir -p "$computer" "$videos"
  make_handheld_video "$work/sample.mp4" testsrc "Sample video"
  for ((i = 1; i <= count; i++)); do
    ln "$work/sample.mp4" "$computer/clip $i.mp4"
    ln "$work/sample.THM" "$computer/clip $i.THM"
    name=M4V$(printf %05d "$i")
    ln "$work/sample.mp4" "$videos/$name.MP4"
    ln "$work/sample.THM" "$videos/$name.THM"
  done
fi
write_sysfs "$work/sysfs"
write_mount_table "$work/mountinfo" "$handheld"

display=:97
Xvfb "$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
trap 'kill $xvfb_pid 2>/dev/null || true' EXIT
for _ in $(seq 50); do
  [[ -e /tmp/.X11-unix/X${display#:} ]] && break
  sleep 0.1
done

export DISPLAY=$display QT_QPA_PLATFORM=xcb
export VANTREL_MOUNTINFO=$work/mountinfo VANTREL_SYSFS=$work/sysfs
export XDG_CONFIG_HOME=$work/config VANTREL_REPORT_READY=1

# One run: milliseconds from exec to the window's "panes filled" report.
one_run() {
  local start end line pid
  start=$(date +%s%N)
  exec 3< <(exec "$root/build/vantrel" "$computer/" 2>&1 >/dev/null)
  pid=$!
  while IFS= read -r line <&3; do
    [[ $line == "vantrel: panes filled" ]] && break
  done
  end=$(date +%s%N)
  # The window process is the child of the substitution's shell.
  local window
  window=$(pgrep -n -f "^$root/build/vantrel " || true)
  [[ -n $window ]] && grep VmRSS "/proc/$window/status" | awk '{print $2}' >"$work/rss"
  kill "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
  exec 3<&-
  echo $(((end - start) / 1000000))
}

one_run >/dev/null # warm the page cache
results=()
for ((r = 1; r <= runs; r++)); do
  ms=$(one_run)
  results+=("$ms")
  echo "run $r: $ms ms"
done
sorted=($(printf '%s\n' "${results[@]}" | sort -n))
echo "median start-up to both panes filled ($count videos each side): ${sorted[$((runs / 2))]} ms"
echo "resident memory with both panes filled: $(($(cat "$work/rss" 2>/dev/null || echo 0) / 1024)) MB"
