#!/usr/bin/env bash
# Takes a screenshot of the demo under Xvfb into docs/screenshot.png.
#   scripts/screenshot.sh [OUTPUT.png]     (build first: scripts/build.sh)
# The picture shows a home folder of nobody in particular, not this
# checkout: run as root, the demo is made in a mount namespace of its own
# over an empty /home, as /home/alex.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
output=$(realpath -m "${1:-$root/docs/screenshot.png}")
if [[ -z ${VANTREL_SHOT_PRIVATE:-} ]]; then
  exec unshare --mount --propagation private env VANTREL_SHOT_PRIVATE=1 bash "$0" "$output"
fi
mount -t tmpfs tmpfs /home
export VANTREL_DEMO_DIR=/home/alex

display=:98
Xvfb "$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
app_pid=
cleanup() {
  [[ -n $app_pid ]] && kill "$app_pid" 2>/dev/null
  kill "$xvfb_pid" 2>/dev/null
  true
}
trap cleanup EXIT
for _ in $(seq 50); do
  [[ -e /tmp/.X11-unix/X${display#:} ]] && break
  sleep 0.1
done

export DISPLAY=$display QT_QPA_PLATFORM=xcb VANTREL_REPORT_READY=1
exec 3< <(exec "$root/scripts/demo.sh" 2>&1)
app_pid=$!
while IFS= read -r line <&3; do
  [[ $line == "vantrel: panes filled" ]] && break
done
sleep 1 # let the window paint its first frame
mkdir -p "$(dirname "$output")"
/usr/bin/import -display "$display" -window "Tolvane Vantrel" "$output"
echo "screenshot: $output"
