#!/usr/bin/env bash
# Runs inside xvfb-run (no window manager): opens skin.xml with skin-preview, checks the real window's size,
# clicks "btn_install" with a real input event from xdotool and expects the preview to report the click.
# Usage: click_in_real_window.sh SKIN_PREVIEW OUTPUT_FILE
set -u
preview=$1
out=$2

"$preview" skin.xml >"$out" 2>&1 &
pid=$!
trap 'kill "$pid" 2>/dev/null; wait "$pid" 2>/dev/null' EXIT

# Waits (at most 30 s) for a line of the preview's output; fails at once if the preview died.
wait_for_line() {
  for _ in $(seq 1 300); do
    grep -q -- "$1" "$out" && return 0
    kill -0 "$pid" 2>/dev/null || { echo "skin-preview ended early"; return 1; }
    sleep 0.1
  done
  echo "no line '$1' within 30 s"
  return 1
}

wait_for_line '^rect btn_install ' || exit 1
read -r _ _ left top right bottom < <(grep '^rect btn_install ' "$out")
window=$(timeout 30 xdotool search --sync --onlyvisible --pid "$pid" | head -n 1)
[ -n "$window" ] || { echo "no visible window of the preview"; exit 1; }
geometry=$(xdotool getwindowgeometry "$window" | sed -n 's/.*Geometry: //p')
echo "geometry $geometry"
[ "$geometry" = "600x400" ] || { echo "unexpected window size"; exit 1; }

xdotool mousemove --window "$window" $(((left + right) / 2)) $(((top + bottom) / 2)) click 1
wait_for_line '^click btn_install$' || exit 1
echo "clicked"
