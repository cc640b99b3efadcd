#!/usr/bin/env bash
# The desktop program's windows on real screens: an X server (Xvfb) of a
# laptop's or a desktop's size with a window manager (openbox) that frames,
# places and stacks windows as a learner's desktop does. On each screen:
# the splash, the main window, the network plan and Progress lie within the
# screen, frames included, and Progress opens above the main window, not
# behind it. Skipped (77) where the machine lacks the X server or the tools.
#   tests/gui/desktop-windows.sh PATH-TO-pellix
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
program=$1

for tool in Xvfb openbox xdpyinfo xprop xwininfo xdotool; do
  command -v "$tool" >/dev/null || { echo "skipped: no $tool"; exit 77; }
done
source "$here/../../scripts/x-session.sh"
work=$(mktemp -d)
app_pid=
trap x_session_cleanup EXIT
failures=0

# "x y width height" of a window with the frame the window manager gave it.
frame_of() {
  xwininfo -frame -id "$1" | awk '
    /Absolute upper-left X/ {x=$NF} /Absolute upper-left Y/ {y=$NF}
    /Width:/ {w=$NF} /Height:/ {h=$NF} END {print x, y, w, h}'
}

# Whether the window's frame lies within the screen.
within() {
  local x y w h
  read -r x y w h < <(frame_of "$1")
  [ "$x" -ge 0 ] && [ "$y" -ge 0 ] && [ $((x + w)) -le "$screen_w" ] && [ $((y + h)) -le "$screen_h" ]
}

# Whether the first window is stacked above the second.
above() {
  local order first second
  order=$(xprop -root _NET_CLIENT_LIST_STACKING | sed 's/.*# //; s/,//g')
  first=$(printf '0x%x' "$1")
  second=$(printf '0x%x' "$2")
  local k=0 at_first=-1 at_second=-1 id
  for id in $order; do
    [ "$((id))" -eq "$((first))" ] && at_first=$k
    [ "$((id))" -eq "$((second))" ] && at_second=$k
    k=$((k + 1))
  done
  [ "$at_first" -gt "$at_second" ] && [ "$at_second" -ge 0 ]
}

# Waits until a check holds (the window manager places windows after they
# show); a deadline far above what a busy machine needs.
holds() {
  local _
  for _ in $(seq 600); do
    "$@" && return 0
    sleep 0.1
  done
  return 1
}

check() {
  local what=$1
  shift
  if holds "$@"; then
    echo "ok: $what"
  else
    echo "FAIL: $what ($(frame_of "${@: -1}" 2>/dev/null || true))"
    failures=$((failures + 1))
  fi
}

run_screen() {
  local size=$1 scale=$2
  echo "== ${size} at scale ${scale}"
  screen_w=${size%x*}
  screen_h=${size#*x}
  # A display of its own, beside any other test's.
  x_session_start_free 40 69 "$size"
  rm -rf "$work/config" "$work/data"
  XDG_CONFIG_HOME=$work/config QT_QPA_PLATFORM=xcb QT_SCALE_FACTOR=$scale \
    "$program" --dir "$work/data" >/dev/null 2>&1 &
  app_pid=$!
  local splash main plan progress
  splash=$(x_session_window "Pellix Vantric Practice Lab")
  check "the splash within the screen" within "$splash"
  xdotool windowactivate --sync "$splash" key Return 2>/dev/null || xdotool key Return
  main=$(x_session_window "Vantric Sim")
  check "the main window within the screen" within "$main"
  xdotool windowactivate --sync "$main" key F2 2>/dev/null || xdotool key F2
  plan=$(x_session_window "Pellix Vantric lab environment diagram")
  check "the network plan within the screen" within "$plan"
  xdotool windowactivate --sync "$main" key F3 2>/dev/null || xdotool key F3
  progress=$(x_session_window "Pellix progress")
  check "Progress within the screen" within "$progress"
  check "Progress above the main window" above "$progress" "$main"
  kill "$app_pid" 2>/dev/null || true
  wait "$app_pid" 2>/dev/null || true
  app_pid=
  x_session_stop
}

run_screen 800x600 1
run_screen 1024x768 1
run_screen 1366x768 2
run_screen 1920x1080 2
[ "$failures" -eq 0 ] || { echo "$failures failed"; exit 1; }
echo PASS
