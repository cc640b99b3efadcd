#!/usr/bin/env bash
# Takes the pictures in docs/: runs pellix under a virtual X server (Xvfb)
# with a window manager (openbox) in a fresh data and configuration folder,
# clicks and types with xdotool, and captures the screen with ImageMagick's
# import.
#   scripts/screenshot.sh [PATH-TO-pellix]      (default: build/bin/pellix)
# The X display is PELLIX_SCREENSHOT_DISPLAY (default :99).
# Needs: xvfb, openbox, xdotool, xclip, imagemagick (and xterm for the
# terminal program's picture).
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
program=${1:-$root/build/bin/pellix}
docs=$root/docs
display=${PELLIX_SCREENSHOT_DISPLAY:-:99}
mkdir -p "$docs"

work=$(mktemp -d)
app_pid=
source "$root/scripts/x-session.sh"
trap x_session_cleanup EXIT

x_session_start "$display" 1920x1080

# Captures a window with the frame and title bar the window manager gave it.
capture() {
  import -frame -window "$1" "$2"
  echo "wrote $2"
}

# Clicks at a point of a window's client area.
click() {
  xdotool mousemove --window "$1" "$2" "$3" click 1
}

XDG_CONFIG_HOME=$work/config QT_QPA_PLATFORM=xcb "$program" --dir "$work/data" &
app_pid=$!

splash=$(x_session_window "Pellix Vantric Practice Lab")
sleep 1
capture "$splash" "$docs/screenshot-splash.png"

# Enter presses "Start".
xdotool windowactivate --sync "$splash" 2>/dev/null || true
xdotool key Return
main=$(x_session_window "Vantric Sim")
xdotool windowmove "$main" 40 40
sleep 0.5
xdotool windowactivate --sync "$main" 2>/dev/null || true
for command in "enable" "show version" "show ip route"; do
  xdotool type --delay 40 "$command"
  xdotool key Return
done
sleep 1.5
capture "$main" "$docs/screenshot-main.png"

# A real router's form the lab does not know: the coach's hint under the
# console, the console itself as the router answers.
xdotool type --delay 40 "conf t"
xdotool key Return
sleep 1
capture "$main" "$docs/screenshot-hint.png"

# The console at twice its size: four steps of Ctrl+=.
for _ in 1 2 3 4; do xdotool key ctrl+equal; sleep 0.3; done
xdotool type --delay 30 "configure terminal"
xdotool key Return
xdotool type --delay 30 "hostname R1"
xdotool key Return
xdotool key ctrl+z
xdotool type --delay 30 "show running-config"
xdotool key Return
xdotool type --delay 30 "show ru"
sleep 1.5
capture "$main" "$docs/screenshot-console-2x.png"

# A selection over three lines of the configuration, copied with
# Ctrl+Shift+C.
xdotool mousemove --window "$main" 48 430 mousedown 1
xdotool mousemove --window "$main" 200 470 mousemove --window "$main" 400 520
xdotool mouseup 1
xdotool key ctrl+shift+c
sleep 0.5
capture "$main" "$docs/screenshot-selection.png"
copied=$(xclip -o -selection clipboard)
[ -n "$copied" ] || { echo "the selection reached no clipboard" >&2; exit 1; }

# Scrolled back with the wheel: the marker shows how far.
xdotool mousemove --window "$main" 600 400 click 4 click 4 click 4
sleep 0.5
capture "$main" "$docs/screenshot-scrollback.png"

# Back to the first size; F2 shows the plan beside the main window.
xdotool key Return ctrl+0
sleep 0.5
xdotool key F2
plan=$(x_session_window "Pellix Vantric lab environment diagram")
sleep 1
capture "$plan" "$docs/screenshot-plan.png"

# F2 hides it again; F10 finishes.
xdotool key F2
sleep 0.5
xdotool key F10
for _ in $(seq 50); do kill -0 "$app_pid" 2>/dev/null || break; sleep 0.1; done
if kill -0 "$app_pid" 2>/dev/null; then
  echo "pellix did not end after F10" >&2
  exit 1
fi
app_pid=
[ -f "$work/data/user.dat" ] || { echo "Finish wrote no user.dat" >&2; exit 1; }
[ -f "$work/config/pellix/pellix.conf" ] || { echo "the window's size was not kept" >&2; exit 1; }

# The terminal program in an xterm of 80x24, with the same hint on its notice
# line.
term=${program%/pellix}/pellix-term
if [ -x "$term" ] && command -v xterm >/dev/null; then
  xterm -geometry 80x24 -fa "DejaVu Sans Mono" -fs 11 -title "pellix-term" \
    -e "$term" --dir "$work/term" &
  app_pid=$!
  window=$(x_session_window "pellix-term")
  xdotool windowactivate --sync "$window" 2>/dev/null || true
  sleep 1
  for command in "enable" "wr"; do
    xdotool type --delay 40 "$command"
    xdotool key Return
  done
  sleep 1
  capture "$window" "$docs/screenshot-term-hint.png"
  kill "$app_pid" 2>/dev/null || true
  app_pid=
fi
