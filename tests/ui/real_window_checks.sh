#!/usr/bin/env bash
# Checks on real windows, run inside xvfb-run (no window manager, no compositor) with skin-preview and real input
# events from xdotool. Usage: real_window_checks.sh CASE SKIN_PREVIEW OUTPUT_FOLDER
#   click    skin.xml opens at 600x400; a click on "btn_install" is reported as "click btn_install"
#   combo    the language list opens on a click and a click on its second entry is reported as "itemselect"
#   overlay  mask.xml over skin.xml: the overlay's buttons take clicks, its see-through surface lets them
#            through to the window beneath
set -u
case_name=$1
preview=$2
folder=$3
pids=()
trap 'for p in "${pids[@]}"; do kill "$p" 2>/dev/null; wait "$p" 2>/dev/null; done' EXIT

# start NAME ARGS...: runs the preview with its output in FOLDER/NAME.out; its pid lands in $started.
start() {
  local name=$1
  shift
  "$preview" "$@" >"$folder/$name.out" 2>&1 &
  started=$!
  pids+=("$started")
}

# wait_for_line NAME PATTERN: waits (at most 30 s) for a line of that preview's output.
wait_for_line() {
  for _ in $(seq 1 300); do
    grep -q -- "$2" "$folder/$1.out" && return 0
    sleep 0.1
  done
  echo "no line '$2' from $1 within 30 s"
  return 1
}

window_of() {
  timeout 30 xdotool search --sync --onlyvisible --pid "$1" | head -n 1
}

# click_on WINDOW NAME CONTROL: a real click (XTEST, at the pointer) on the centre of a control, from the
# preview's rect line and the window's position on the screen.
click_on() {
  local _ left top right bottom x y
  read -r _ _ left top right bottom < <(grep "^rect $3 " "$folder/$2.out")
  read -r x y < <(xdotool getwindowgeometry "$1" | sed -n 's/.*Position: \([0-9]*\),\([0-9]*\).*/\1 \2/p')
  xdotool mousemove --sync $((x + (left + right) / 2)) $((y + (top + bottom) / 2))
  xdotool click 1
}

case $case_name in
click)
  start main skin.xml
  main_pid=$started
  wait_for_line main '^rect btn_install ' || exit 1
  window=$(window_of "$main_pid")
  [ -n "$window" ] || { echo "no visible window of the preview"; exit 1; }
  geometry=$(xdotool getwindowgeometry "$window" | sed -n 's/.*Geometry: //p')
  echo "geometry $geometry"
  [ "$geometry" = "600x400" ] || { echo "unexpected window size"; exit 1; }
  click_on "$window" main btn_install
  wait_for_line main '^click btn_install$' || exit 1
  ;;
combo)
  start main --size 600,472 --items cmb_language=English,Deutsch,Italiano skin.xml lbl_language cmb_language
  main_pid=$started
  wait_for_line main '^rect cmb_language ' || exit 1
  window=$(window_of "$main_pid")
  [ -n "$window" ] || { echo "no visible window of the preview"; exit 1; }
  click_on "$window" main cmb_language
  # The list opens under the combo, one entry of 32 pixels each: the second entry's middle is 48 below it.
  # Waits for the list's own window.
  for _ in $(seq 1 300); do
    [ "$(xdotool search --onlyvisible --pid "$main_pid" | wc -l)" -ge 2 ] && break
    sleep 0.1
  done
  read -r _ _ left top right bottom < <(grep "^rect cmb_language " "$folder/main.out")
  read -r x y < <(xdotool getwindowgeometry "$window" | sed -n 's/.*Position: \([0-9]*\),\([0-9]*\).*/\1 \2/p')
  xdotool mousemove --sync $((x + left + 20)) $((y + bottom + 48))
  xdotool click 1
  wait_for_line main '^itemselect cmb_language$' || exit 1
  ;;
overlay)
  start main skin.xml
  main_pid=$started
  wait_for_line main '^rect btn_install ' || exit 1
  [ -n "$(window_of "$main_pid")" ] || { echo "no main window"; exit 1; }
  # Both previews open at the same place; the overlay, mapped last, is on top.
  start mask mask.xml
  mask_pid=$started
  wait_for_line mask '^rect btn_minimal ' || exit 1
  mask_window=$(window_of "$mask_pid")
  [ -n "$mask_window" ] || { echo "no overlay window"; exit 1; }
  click_on "$mask_window" mask btn_minimal
  wait_for_line mask '^click btn_minimal$' || exit 1
  # The same place on the screen as the page's install button, under the overlay.
  click_on "$mask_window" main btn_install
  wait_for_line main '^click btn_install$' || exit 1
  ;;
*)
  echo "unknown case $case_name"
  exit 2
  ;;
esac
echo "passed $case_name"
