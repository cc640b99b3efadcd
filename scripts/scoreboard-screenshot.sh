#!/usr/bin/env bash
# Takes docs/screenshot-scoreboard.png: starts pellix-serve on free ports of
# this machine in a fresh folder, gives it a class in progress (learners who
# worked earlier and left, learners connected and typing right now through
# telnet connections), and photographs the scoreboard in Debian's Chromium,
# headless.
#   scripts/scoreboard-screenshot.sh [PATH-TO-pellix-serve]   (default: build/bin/pellix-serve)
# Needs: chromium, python3.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
program=${1:-$root/build/bin/pellix-serve}
out=$root/docs/screenshot-scoreboard.png
work=$(mktemp -d)
server=
learners=
cleanup() {
  [ -n "$learners" ] && kill "$learners" 2>/dev/null || true
  [ -n "$server" ] && kill "$server" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

# Learners of an earlier session: their score files, some tasks done.
score_file() {  # NAME TASK...
  mkdir -p "$work/classroom/$1"
  local name=$1 k
  shift
  for k in $(seq 1 50); do
    if [[ " $* " == *" $k "* ]]; then printf '%d,1,%d,%d\r\n' "$k" $((k * 7)) $((k * 13))
    else printf '%d,,%d,%d\r\n' "$k" $((k * 7)) $((k * 13)); fi
  done >"$work/classroom/$name/user.dat"
}
score_file amira 1 2 3 6 7 8 9 10 11 12 13 14 15 16 17 18 19 20 21 22 23 24 25 26 27 28 29 30 31 32 33 34 35 36 37 38 39 40 41 42 43 44 45 46 47 48 49 50
score_file jonas-b 6 7 13 50 1 2 3 4 5
score_file lee_2 6 7 13

"$program" --dir "$work/classroom" --port 0 --web-port 0 >"$work/server.out" 2>&1 &
server=$!
for _ in $(seq 100); do
  grep -q '^pellix-serve: scoreboard: ' "$work/server.out" && break
  sleep 0.05
done
port=$(sed -n 's/^pellix-serve: learners connect with: telnet 127\.0\.0\.1 \([0-9]*\)$/\1/p' "$work/server.out")
url=$(sed -n 's/^pellix-serve: scoreboard: \(http[^ ]*\).*$/\1/p' "$work/server.out")
[ -n "$port" ] && [ -n "$url" ] || { cat "$work/server.out"; exit 1; }

# Learners at work now: each logs in and types part of the exercise, and
# stays connected while the picture is taken.
python3 - "$port" "$work/ready" <<'PY' &
import socket, sys, time
port, ready = int(sys.argv[1]), sys.argv[2]
work = {
    "bruno": ["", "?", "show version", "show history", "enable", "configure terminal",
              "hostname R1", "enable secret tulip", "exit", "copy running-config startup-config"],
    "chen-w": ["", "show version", "enable", "show running-config"],
    "dana_k": ["", "?", "show history"],
}
connections = []
for name, lines in work.items():
    s = socket.create_connection(("127.0.0.1", port))
    # The name, and the PIN chosen for it, typed twice.
    s.sendall(name.encode() + b"\r\n")
    time.sleep(0.2)
    s.sendall(b"2468\r\n")
    time.sleep(0.2)
    s.sendall(b"2468\r\n")
    time.sleep(0.5)
    for line in lines:
        s.sendall(line.encode() + b"\r\0")
        time.sleep(0.15)
    connections.append(s)
open(ready, "w").close()
time.sleep(120)
PY
learners=$!
for _ in $(seq 200); do [ -f "$work/ready" ] && break; sleep 0.1; done
sleep 0.5

chromium --headless --no-sandbox --disable-gpu --disable-quic --no-first-run \
  --disable-background-networking --disable-component-update --disable-sync \
  --user-data-dir="$work/chromium" --hide-scrollbars --window-size=1680,380 \
  --screenshot="$out" "$url" >/dev/null 2>&1
echo "wrote $out"
