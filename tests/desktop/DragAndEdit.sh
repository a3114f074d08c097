#!/usr/bin/env bash
# The real window under a real X server (Xvfb), driven by xdotool as a
# person would: a drag of a computer row onto the handheld pane moves the
# video, the same drag with Alt held at the press copies it, and a click
# on a row's title value, typing and Enter store a new title in the file.
#
#   DragAndEdit.sh VANTREL VANTREL-TOOL SOURCE-DIR
#
# Waits for conditions, never for fixed times. Exits 77 (skipped) with
# the reason when no X server can be started here.
set -euo pipefail
vantrel=$1 tool=$2 source_dir=$3

skip() { echo "skipped: $*"; exit 77; }
command -v Xvfb >/dev/null || skip "Xvfb is not installed"
command -v xdotool >/dev/null || skip "xdotool is not installed"
command -v ffmpeg >/dev/null || skip "ffmpeg is not installed"

work=$(mktemp -d)
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

# wait_for DESCRIPTION COMMAND...: polls until COMMAND succeeds, at most
# about 20 seconds.
wait_for() {
  local what=$1
  shift
  for _ in $(seq 200); do
    if "$@" >/dev/null 2>&1; then return 0; fi
    sleep 0.1
  done
  echo "FAILED: $what" >&2
  exit 1
}

# shellcheck source=../../scripts/lib/simulated-handheld.sh
source "$source_dir/scripts/lib/simulated-handheld.sh"
computer=$work/computer
handheld=$work/handheld
videos=$handheld/MP_ROOT/100MNV01
mkdir -p "$computer" "$videos" "$work/config"
make_handheld_video "$computer/first.mp4" testsrc "First"
make_handheld_video "$computer/second.mp4" smptebars "Second"
write_sysfs "$work/sysfs"
write_mount_table "$work/mountinfo" "$handheld"

Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" 2>/dev/null &
pids+=($!)
wait_for "Xvfb starts" test -s "$work/display"
export DISPLAY=:$(head -n1 "$work/display")
xdotool getmouselocation >/dev/null 2>&1 || skip "the X server at $DISPLAY does not answer"

export QT_QPA_PLATFORM=xcb XDG_CONFIG_HOME=$work/config VANTREL_MOUNTINFO=$work/mountinfo \
  VANTREL_SYSFS=$work/sysfs VANTREL_REPORT_READY=1
"$vantrel" "$computer" 2>"$work/vantrel.log" &
pids+=($!)
wait_for "the panes are filled" grep -q "panes filled" "$work/vantrel.log"
wait_for "the window is shown" xdotool search --onlyvisible --name Vantrel
window=$(xdotool search --onlyvisible --name Vantrel | head -n1)
eval "$(xdotool getwindowgeometry --shell "$window")"
xdotool windowactivate --sync "$window" 2>/dev/null || xdotool windowfocus --sync "$window"

# Places in the window, from its fixed layout: the computer pane's first
# row (its picture, its title value) and the middle of the handheld pane.
row_picture=($((X + 40)) $((Y + 100)))
row_title=($((X + 140)) $((Y + 78)))
handheld_pane=($((X + 633 - 136)) $((Y + 300)))

videos_on_handheld() { find "$videos" -name 'M4V*.MP4' | wc -l; }
batches_ended() { [[ $(grep -c "batch ended" "$work/vantrel.log") -ge $1 ]]; }
computer_has() { [[ $(find "$computer" -name '*.mp4' | wc -l) -eq $1 ]]; }
handheld_has() { [[ $(videos_on_handheld) -eq $1 ]]; }

# drag FROM TO: press, move there in steps, release.
drag() {
  local from_x=$1 from_y=$2 to_x=$3 to_y=$4
  xdotool mousemove "$from_x" "$from_y" mousedown 1
  for step in 1 2 3 4 5 6 7 8 9 10; do
    xdotool mousemove $((from_x + (to_x - from_x) * step / 10)) $((from_y + (to_y - from_y) * step / 10))
    sleep 0.05
  done
  xdotool mouseup 1
}

# A plain drag moves the first computer video.
drag "${row_picture[@]}" "${handheld_pane[@]}"
wait_for "the drag's batch ends" batches_ended 1
wait_for "the dragged video is on the handheld" handheld_has 1
wait_for "the moved video left the computer" computer_has 1

# Alt held at the press: the drag copies the video that is left.
xdotool keydown alt
xdotool mousemove "${row_picture[@]}" mousedown 1
xdotool keyup alt
for step in 1 2 3 4 5 6 7 8 9 10; do
  xdotool mousemove $((row_picture[0] + (handheld_pane[0] - row_picture[0]) * step / 10)) \
    $((row_picture[1] + (handheld_pane[1] - row_picture[1]) * step / 10))
  sleep 0.05
done
xdotool mouseup 1
wait_for "the Alt-drag's batch ends" batches_ended 2
wait_for "the copied video is on the handheld" handheld_has 2
computer_has 1 || { echo "FAILED: the copy took the video off the computer" >&2; exit 1; }

# A click on the title value opens the editor; typing and Enter store it.
left=$(find "$computer" -name '*.mp4' | head -n1)
xdotool mousemove "${row_title[@]}" click 1
xdotool key ctrl+a
xdotool type --delay 20 "Edited by hand"
xdotool key Return
title_is() { [[ $("$tool" title "$left") == "Edited by hand" ]]; }
wait_for "the typed title is stored in $left" title_is

echo "passed: drag moves, Alt-drag copies, the typed title is stored"
