#!/usr/bin/env bash
# The real window under a real X server (Xvfb), driven by xdotool as a
# person would, quick and repeated keys and unplanned moves included:
#   - a drag of a computer row onto the handheld pane moves the video; the
#     same drag with Alt held at the press, or Ctrl held during it, copies;
#     an Alt click that started no drag leaves no copy mark behind;
#   - a click on a row's title value, typing and Enter store the title;
#   - F2 twice, then Delete in the editor, deletes a letter, not videos;
#   - a wheel turn hides the editor and stores nothing;
#   - the handheld pulled out while a failed save's error box is up: the
#     window lives on.
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
  echo "computer: $(ls "$work/computer" | tr '\n' ' ')" >&2
  echo "handheld: $(ls "$work/handheld/MP_ROOT/100MNV01" | tr '\n' ' ')" >&2
  cat "$work/vantrel.log" >&2
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

# drag FROM TO [KEY]: press, move there in steps, release; KEY, when
# given, is held from the third step to the release.
drag() {
  local from_x=$1 from_y=$2 to_x=$3 to_y=$4 held=${5:-}
  xdotool mousemove "$from_x" "$from_y" mousedown 1
  for step in 1 2 3 4 5 6 7 8 9 10; do
    xdotool mousemove $((from_x + (to_x - from_x) * step / 10)) $((from_y + (to_y - from_y) * step / 10))
    if [[ -n $held && $step -eq 3 ]]; then xdotool keydown "$held"; fi
    sleep 0.05
  done
  xdotool mouseup 1
  if [[ -n $held ]]; then xdotool keyup "$held"; fi
}

# Message boxes carry the application title alone as their caption.
boxes_up() { xdotool search --onlyvisible --name '^Vantrel$' 2>/dev/null | wc -l; }
boxes_are_up() { [[ $(boxes_up) -ge $1 ]]; }
loads_of_handheld() { grep -c "handheld pane loaded" "$work/vantrel.log" || true; }
handheld_loaded() { [[ $(loads_of_handheld) -ge $1 ]]; }
# answer_box: Enter on the newest box.
answer_box() {
  local box
  box=$(xdotool search --onlyvisible --name '^Vantrel$' | tail -n1)
  xdotool windowfocus --sync "$box" 2>/dev/null || true
  xdotool key Return
}
some_handheld_title_is() {
  local video
  for video in "$videos"/M4V*.MP4; do
    [[ $("$tool" title "$video" 2>/dev/null) == "$1" ]] && return 0
  done
  return 1
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

# Ctrl held during the drag copies, whatever a window manager does with
# Alt-drags.
drag "${row_picture[@]}" "${handheld_pane[@]}" ctrl
wait_for "the Ctrl-drag's batch ends" batches_ended 3
wait_for "the Ctrl-copied video is on the handheld" handheld_has 3
computer_has 1 || { echo "FAILED: the Ctrl-drag took the video off the computer" >&2; exit 1; }

# An Alt click that starts no drag leaves no mark: the next plain drag moves.
xdotool keydown alt
xdotool mousemove "${row_picture[@]}" click 1
xdotool keyup alt
drag "${row_picture[@]}" "${handheld_pane[@]}"
wait_for "the plain drag's batch ends" batches_ended 4
wait_for "the plain drag moved the video" computer_has 0
wait_for "the moved video is on the handheld" handheld_has 4

# Places in the handheld pane: its first row's picture and title value.
handheld_picture=($((X + 361 + 40)) $((Y + 100)))
handheld_title=($((X + 361 + 140)) $((Y + 78)))

# F2 twice, then Delete typed in the editor: a letter goes, no video does;
# Enter stores the text.
xdotool mousemove "${handheld_picture[@]}" click 1
xdotool key F2 F2 ctrl+a
xdotool type --delay 20 "Twice!"
xdotool key End Left Delete Return
wait_for "the title typed after F2 twice is stored" some_handheld_title_is "Twice"
handheld_has 4 || { echo "FAILED: Delete in the editor deleted videos" >&2; exit 1; }

# A wheel turn hides the editor and stores nothing; a reload then drops
# the pending edit.
loads=$(loads_of_handheld)
xdotool mousemove "${handheld_title[@]}" click 1
xdotool key ctrl+a
xdotool type --delay 20 "Wheeled"
xdotool click 5
xdotool mousemove $((X + 277 + 30)) $((Y + 455)) click 1
wait_for "Refresh reloads the handheld pane" handheld_loaded $((loads + 1))
if some_handheld_title_is "Wheeled"; then
  echo "FAILED: the wheel stored the half-typed title" >&2
  exit 1
fi

# A save that fails shows its error box; the handheld is pulled out while
# the box is up. The pane empties under the box and the window lives on.
xdotool mousemove "${handheld_picture[@]}" click 1
xdotool mousemove "${handheld_title[@]}" click 1
for video in "$videos"/M4V*.MP4; do printf 'no longer a video' >"$video"; done
xdotool key ctrl+a
xdotool type --delay 20 "Lost"
xdotool key Return
wait_for "the failed save's error box" boxes_are_up 1
loads=$(loads_of_handheld)
write_mount_table "$work/mountinfo"
wait_for "the unplug's notice over the error box" boxes_are_up 2
answer_box
wait_for "the handheld pane is reloaded under the box" handheld_loaded $((loads + 1))
answer_box
all_boxes_closed() { [[ $(boxes_up) -eq 0 ]]; }
wait_for "every box is closed" all_boxes_closed
kill -0 "${pids[1]}" 2>/dev/null || { echo "FAILED: the window ended after the unplug" >&2; exit 1; }
xdotool search --onlyvisible --name '^Tolvane Vantrel$' >/dev/null || { echo "FAILED: the window is gone" >&2; exit 1; }

echo "passed: drags move, Alt and Ctrl drags copy, a stale Alt mark copies nothing, titles typed are stored," \
  "F2 twice and Delete delete no video, a wheel turn stores nothing, an unplug under an error box is survived"
