#!/usr/bin/env bash
# Starts Vantrel on a demo: a computer folder and a simulated handheld,
# with a few short videos made by FFmpeg, their thumbnails and titles.
#
#   scripts/demo.sh            make the demo (first time) and start Vantrel
#   scripts/demo.sh unplug     while it runs: pull the simulated handheld out
#   scripts/demo.sh plug       ... and plug it in again
#
# The handheld is a folder; the window finds it through a mount table and
# a sysfs tree of the demo's own (VANTREL_MOUNTINFO, VANTREL_SYSFS), so
# nothing is mounted for real. The demo keeps its own settings.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
demo=${VANTREL_DEMO_DIR:-$root/demo-data}
computer=$demo/Videos
handheld=$demo/PSP
videos=$handheld/MP_ROOT/100MNV01
mountinfo=$demo/mountinfo
sysfs=$demo/sysfs

# shellcheck source=lib/simulated-handheld.sh
source "$root/scripts/lib/simulated-handheld.sh"

make_demo() {
  echo "demo: making videos in $demo"
  rm -rf "$demo.tmp"
  mkdir -p "$demo.tmp/Videos" "$demo.tmp/PSP/MP_ROOT/100MNV01"
  local c=$demo.tmp/Videos h=$demo.tmp/PSP/MP_ROOT/100MNV01
  make_handheld_video "$c/holiday.mp4" testsrc "Holiday at the lake"
  make_handheld_video "$c/concert.mp4" smptebars "Concert, first row"
  make_handheld_video "$c/garden.mp4" mandelbrot "Garden in June"
  make_handheld_video "$c/café.mp4" rgbtestsrc "Café crème"
  make_handheld_video "$c/untitled.mp4" testsrc2 ""
  # A copy cut short in the middle, as an interrupted transfer leaves it.
  head -c 40000 "$c/holiday.mp4" >"$c/broken copy.mp4"
  make_handheld_video "$h/M4V00001.MP4" testsrc2 "Cat versus laser"
  make_handheld_video "$h/M4V00002.MP4" smptehdbars "Test pattern"
  make_handheld_video "$h/M4V00007.MP4" mandelbrot "Fractal zoom"
  rm -rf "$demo"
  mv "$demo.tmp" "$demo"
}

case "${1:-start}" in
  unplug) write_mount_table "$mountinfo"; echo "demo: handheld unplugged"; exit 0 ;;
  plug) write_mount_table "$mountinfo" "$handheld"; echo "demo: handheld plugged in"; exit 0 ;;
  start) ;;
  *) echo "usage: scripts/demo.sh [start|plug|unplug]" >&2; exit 2 ;;
esac

[[ -d $videos ]] || make_demo
write_sysfs "$sysfs"
write_mount_table "$mountinfo" "$handheld"

export VANTREL_MOUNTINFO=$mountinfo
export VANTREL_SYSFS=$sysfs
export XDG_CONFIG_HOME=$demo/config
exec "$root/build/vantrel" "$computer/"
