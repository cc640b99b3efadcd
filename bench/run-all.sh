#!/usr/bin/env bash
# Runs every benchmark of Pellix, each side by side with its yardstick, and
# prints the ratios: start-up and peak memory (also against Qt's own floor, a
# window with a focused text field), Enter to repainted console, idle
# cost of both interactive programs (on a private X server with a window
# manager and on a terminal of its own), one command through the core, and
# the scripted driver. Absolute times on a shared machine are noise; compare
# the ratios.
#
#   bench/run-all.sh [RUNS] [IDLE_RUNS]
#
# RUNS (default 21) runs of each whole-program measure; IDLE_RUNS (default 3)
# 20-second idle runs of each. Builds the bench preset first. Needs the
# Debian packages xvfb, openbox and x11-utils.
set -euo pipefail
cd "$(dirname "$0")/.."
runs=${1:-21}
idle_runs=${2:-3}
cmake --preset bench >/dev/null
cmake --build --preset bench -j "$(nproc)" >/dev/null
bin=$PWD/build-bench/bin

work=$(mktemp -d)
source scripts/x-session.sh
trap x_session_cleanup EXIT
x_session_start ":${PELLIX_BENCH_DISPLAY:-95}" 1280x1024
export QT_QPA_PLATFORM=xcb XDG_RUNTIME_DIR=$work/runtime
mkdir -p "$work/gui" "$work/term" "$work/replay" "$work/runtime"
chmod 700 "$work/runtime"

echo "== Desktop program"
"$bin/pellix-bench-compare" --name "Splash fully painted (no paint for 300 ms after)" \
  --runs "$runs" --settle-ms 300 \
  -- "$bin/pellix-bench-window" empty --quit-after-show settled \
  -- "$bin/pellix" --dir "$work/gui" --quit-after-show splash-settled
"$bin/pellix-bench-compare" --name "Start to main window shown, then quit" --runs "$runs" \
  -- "$bin/pellix-bench-window" empty --quit-after-show first-paint \
  -- "$bin/pellix" --dir "$work/gui" --quit-after-show main
# Qt's own floor for the two rows above: a window with a focused text field
# (text, fonts and the repaint when the window manager gives it the focus)
# against the empty window, and the two measures against that text field.
"$bin/pellix-bench-compare" --name "Floor: a focused text field fully painted, against the empty window" \
  --runs "$runs" --settle-ms 300 \
  -- "$bin/pellix-bench-window" empty --quit-after-show settled \
  -- "$bin/pellix-bench-window" lineedit --quit-after-show settled
"$bin/pellix-bench-compare" --name "Splash fully painted, against the focused text field" \
  --runs "$runs" --settle-ms 300 \
  -- "$bin/pellix-bench-window" lineedit --quit-after-show settled \
  -- "$bin/pellix" --dir "$work/gui" --quit-after-show splash-settled
"$bin/pellix-bench-compare" --name "Start to main window shown, against the focused text field" \
  --runs "$runs" \
  -- "$bin/pellix-bench-window" lineedit --quit-after-show first-paint \
  -- "$bin/pellix" --dir "$work/gui" --quit-after-show main
"$bin/pellix-bench-gui" "$runs"
"$bin/pellix-bench-compare" --name "Idle for 20 s, main window focused" --runs "$idle_runs" \
  --idle 20 \
  -- "$bin/pellix-bench-window" lineedit \
  -- "$bin/pellix" --dir "$work/gui" --open-main

echo "== Terminal program"
TERM=xterm "$bin/pellix-bench-compare" --name "Idle for 20 s" --runs "$idle_runs" --idle 20 \
  -- "$bin/pellix-bench-curses-idle" \
  -- "$bin/pellix-term" --dir "$work/term"

echo "== Scripted driver: 1,000,000 key events"
awk 'BEGIN { for (k = 0; k < 1000000; ++k) print (k % 2 ? "bs" : "type a") }' >"$work/keys.txt"
"$bin/pellix-bench-compare" --name "1,000,000 key events" --runs "$runs" --input "$work/keys.txt" \
  -- "$bin/pellix-bench-line-reader" \
  -- "$bin/pellix-replay" --dir "$work/replay"

echo "== Core"
"$bin/pellix-bench" --benchmark_filter='Pair_'
