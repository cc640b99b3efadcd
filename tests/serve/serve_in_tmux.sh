#!/usr/bin/env bash
# pellix-serve reached with the plain telnet client in a real terminal: the
# server started as the README says (with a free port), telnet in a private
# tmux server's pane; the test types with send-keys and reads the pane with
# capture-pane, polling for what it expects. Then SIGTERM ends the server
# with status 0 and the learner's score saved.
#
#   serve_in_tmux.sh PELLIX_SERVE
set -uo pipefail

[ $# -eq 1 ] || { echo "usage: $0 PELLIX_SERVE" >&2; exit 2; }
exe=$1
command -v tmux >/dev/null || { echo "tmux is not installed"; exit 1; }
command -v telnet >/dev/null || { echo "telnet is not installed"; exit 1; }

work=$(mktemp -d "${TMPDIR:-/tmp}/pellix-serve-test.XXXXXX")
socket="pellix-serve-$$-${RANDOM}${RANDOM}"
pane="t"
server=""
tmuxp() { tmux -L "$socket" -f /dev/null "$@"; }
cleanup() {
  tmuxp kill-server >/dev/null 2>&1
  [ -n "$server" ] && kill "$server" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 1' INT TERM HUP

screen() { tmuxp capture-pane -p -t "$pane" 2>/dev/null; }
fail() {
  echo "FAIL: $*"
  echo "--- the pane shows:"
  screen
  echo "--- the server printed:"
  cat "$work/server.out"
  exit 1
}
wait_for() {
  local what=$1 i
  for ((i = 0; i < 100; i++)); do
    if screen | grep -qF -- "$what"; then return 0; fi
    sleep 0.05
  done
  fail "waited in vain for '$what'"
}
press() { tmuxp send-keys -t "$pane" "$@"; }
type_text() { tmuxp send-keys -t "$pane" -l -- "$1"; }

# Started as an instructor starts it, on free ports of this machine only.
"$exe" --dir "$work/classroom" --port 0 --web-port 0 --ssh-port 0 >"$work/server.out" 2>&1 &
server=$!
for ((i = 0; i < 100; i++)); do
  port=$(sed -n 's/^pellix-serve: learners connect with: telnet 127\.0\.0\.1 \([0-9]*\)$/\1/p' "$work/server.out")
  [ -n "$port" ] && break
  sleep 0.05
done
[ -n "$port" ] || fail "the server printed no port"
grep -q '^pellix-serve: scoreboard: http://127\.0\.0\.1:[0-9]*/?token=[0-9a-f]\{32\}$' "$work/server.out" ||
  fail "the server printed no scoreboard address"

tmuxp new-session -d -s s -n "$pane" -x 100 -y 30 "TERM=xterm telnet 127.0.0.1 $port; sleep 30"
wait_for "Learner name:"
type_text "bad name"
press Enter
wait_for "A learner name is 1 to 32 letters"
type_text "tmux-learner"
press Enter
wait_for "New PIN:"
type_text "2468"
press Enter
wait_for "The same PIN again:"
type_text "2468"
press Enter
wait_for "Vantric Sim"
wait_for "Press RETURN to get started."
press Enter
wait_for "Score:  0"
type_text "enable"
press Enter
wait_for "Router#"
press F2
wait_for "q, Escape or F2 closes the network plan."
type_text "q"
wait_for "Router#"
press F10
wait_for "Your score is saved. Goodbye."
wait_for "Connection closed by foreign host."
grep -q "^50,1," "$work/classroom/tmux-learner/user.dat" || fail "task 50 is not saved"
grep -q '^\$y\$' "$work/classroom/tmux-learner/learner.pin" || fail "the PIN is not kept hashed"

kill -TERM "$server"
wait "$server"
status=$?
server=""
[ "$status" -eq 0 ] || fail "the server ended with status $status after SIGTERM"
grep -q "^pellix-serve: stopped; every learner's score is saved$" "$work/server.out" ||
  fail "the server did not say it stopped"
echo "PASS"
