#!/usr/bin/env bash
# Takes the pictures in docs/: runs pellix under a virtual X server (Xvfb) in
# a fresh data folder, clicks and types with xdotool, and captures the screen
# with ImageMagick's import.
#   scripts/screenshot.sh [PATH-TO-pellix]      (default: build/bin/pellix)
# Needs: xvfb, xdotool, imagemagick.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
program=${1:-$root/build/bin/pellix}
docs=$root/docs
display=:99
mkdir -p "$docs"

work=$(mktemp -d)
xvfb_pid=
app_pid=
cleanup() {
  [ -n "$app_pid" ] && kill "$app_pid" 2>/dev/null || true
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

Xvfb "$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
export DISPLAY=$display
for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done

# Captures the whole screen and keeps the part the window covers.
capture() {
  local window=$1 file=$2 x y w h
  eval "$(xdotool getwindowgeometry --shell "$window" | sed -n 's/^\(X\|Y\|WIDTH\|HEIGHT\)=/\1=/p')"
  import -window root -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage "$file"
  echo "wrote $file"
}

# Clicks at a point of a window's client area.
click() {
  xdotool mousemove --window "$1" "$2" "$3" click 1
}

window_named() {
  timeout 10 xdotool search --sync --onlyvisible --name "^$1\$" | head -n 1
}

QT_QPA_PLATFORM=xcb "$program" --dir "$work" &
app_pid=$!

splash=$(window_named "Pellix Vantric Practice Lab")
sleep 1
capture "$splash" "$docs/screenshot-splash.png"

click "$splash" 312 400  # "Start"
main=$(window_named "Vantric Sim")
sleep 0.5
xdotool mousemove --window "$main" 300 150
xdotool windowfocus --sync "$main" 2>/dev/null || true
for command in "enable" "show version" "show ip route"; do
  xdotool type --delay 40 "$command"
  xdotool key Return
done
sleep 1.5
capture "$main" "$docs/screenshot-main.png"

click "$main" 556 396  # "Show Network Plan"
plan=$(window_named "Pellix Vantric lab environment diagram")
xdotool windowmove "$plan" 40 40
sleep 1
capture "$plan" "$docs/screenshot-plan.png"

click "$plan" 504 304  # "Close"
sleep 0.5
# "Finish" ends the program even with the plan open beside the main window.
click "$main" 556 396
xdotool search --sync --onlyvisible --name "^Pellix Vantric lab environment diagram\$" >/dev/null
xdotool windowmove "$plan" 700 500
sleep 0.5
click "$main" 68 396  # "Finish"
for _ in $(seq 50); do kill -0 "$app_pid" 2>/dev/null || break; sleep 0.1; done
if kill -0 "$app_pid" 2>/dev/null; then
  echo "pellix did not end after Finish" >&2
  exit 1
fi
app_pid=
[ -f "$work/user.dat" ] || { echo "Finish wrote no user.dat" >&2; exit 1; }
