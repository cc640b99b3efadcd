#!/usr/bin/env bash
# Takes the lessons pictures in docs/: the lessons page (build/readme.htm)
# rendered by headless Chromium in light and dark, and the Progress window
# beside the console with some tasks done (pellix under Xvfb and openbox).
#   scripts/lessons-screenshots.sh [BUILD-FOLDER]      (default: build)
# The X display is PELLIX_SCREENSHOT_DISPLAY (default :99).
# Needs: chromium, xvfb, openbox, xdotool, imagemagick.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build}
page=$build/readme.htm
program=$build/bin/pellix
docs=$root/docs
display=${PELLIX_SCREENSHOT_DISPLAY:-:99}

work=$(mktemp -d)
app_pid=
source "$root/scripts/x-session.sh"
trap x_session_cleanup EXIT

# The page at a phone-to-laptop width, the part from the network plan to the
# first steps: a tall rendering, cropped.
render() {
  local scheme=$1 out=$2 extra=()
  [ "$scheme" = dark ] && extra=(--force-dark-mode --blink-settings=preferredColorScheme=0)
  chromium --headless --no-sandbox --disable-gpu --disable-quic --no-first-run \
    --disable-background-networking --disable-component-update --disable-sync \
    --user-data-dir="$work/chromium-$scheme" --hide-scrollbars --window-size=900,6000 \
    --virtual-time-budget=2000 "${extra[@]}" --screenshot="$work/$scheme.png" \
    "file://$page" >/dev/null 2>&1
  convert "$work/$scheme.png" -crop 900x1250+0+1418 +repage "$out"
  echo "wrote $out"
}
render light "$docs/screenshot-lessons-light.png"
render dark "$docs/screenshot-lessons-dark.png"

x_session_start "$display" 1600x900

mkdir -p "$work/data"
cp "$page" "$work/data/readme.htm"
XDG_CONFIG_HOME=$work/config QT_QPA_PLATFORM=xcb "$program" --dir "$work/data" --open-main &
app_pid=$!
main=$(x_session_window "Vantric Sim")
xdotool windowmove "$main" 20 40
sleep 0.5
xdotool windowactivate --sync "$main" 2>/dev/null || true
xdotool type --delay 30 "?"
for command in "show version" "show history" "enable" "config t" "hostname R1" \
  "enable password pelix" "enable secret tulip"; do
  xdotool type --delay 30 "$command"
  xdotool key Return
done
xdotool key F3
sleep 1.5
import -window root "$work/progress.png"
convert "$work/progress.png" -crop 1190x500+10+15 +repage "$docs/screenshot-progress.png"
echo "wrote $docs/screenshot-progress.png"
