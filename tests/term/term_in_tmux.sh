#!/usr/bin/env bash
# pellix-term in a real terminal. A private tmux server runs an interactive
# shell in a pane; the shell starts pellix-term through a small sh wrapper that
# records the terminal's settings before and after the run and the program's
# exit status. The test types with send-keys and reads the pane with
# capture-pane, polling (never sleeping blindly) for what it expects.
#
#   term_in_tmux.sh PELLIX_TERM SCENARIO [EVENT_SCRIPT]
#
# Scenarios: welcome, plan, finish, sigint, sigterm, sighup, ctrl-c,
# closed-terminal, too-small, and exercise (the EVENT_SCRIPT, a whole
# exercise in the replay format, typed into the terminal).
set -uo pipefail

if [ $# -lt 2 ] || [ $# -gt 3 ]; then
  echo "usage: $0 PELLIX_TERM SCENARIO [EVENT_SCRIPT]" >&2
  exit 2
fi
exe=$1
scenario=$2
events=${3:-}
command -v tmux >/dev/null || { echo "tmux is not installed"; exit 1; }

work=$(mktemp -d "${TMPDIR:-/tmp}/pellix-term-test.XXXXXX")
socket="pellix-term-${scenario}-$$-${RANDOM}${RANDOM}"
pane="t"
tmuxp() { tmux -L "$socket" -f /dev/null "$@"; }
cleanup() {
  tmuxp kill-server >/dev/null 2>&1
  rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 1' INT TERM HUP

screen() { tmuxp capture-pane -p -t "$pane" 2>/dev/null; }
fail() {
  echo "FAIL ($scenario): $*"
  echo "--- the pane shows:"
  screen
  echo "---"
  exit 1
}

# Polls the pane for up to about 5 seconds.
#   wait_for -F TEXT   a line containing TEXT
#   wait_for -x LINE   a line that is exactly LINE (trailing blanks aside)
#   wait_for -E REGEX  a line matching REGEX
wait_for() {
  local how=$1 what=$2 i
  for ((i = 0; i < 100; i++)); do
    if screen | sed 's/ *$//' | grep -q "$how" -- "$what"; then return 0; fi
    sleep 0.05
  done
  fail "waited in vain for a line ($how) '$what'"
}
wait_gone() {
  local what=$1 i
  for ((i = 0; i < 100; i++)); do
    if ! screen | grep -qF -- "$what"; then return 0; fi
    sleep 0.05
  done
  fail "'$what' is still shown"
}
# Line ROW of the pane (0 = top), trailing blanks removed.
row() { screen | sed -n "$(($1 + 1))p" | sed 's/ *$//'; }
expect_row() {
  local n=$1 want=$2 i
  for ((i = 0; i < 100; i++)); do
    [ "$(row "$n")" = "$want" ] && return 0
    sleep 0.05
  done
  fail "row $n is '$(row "$n")', not '$want'"
}
expect_cursor() {
  local want="$1,$2" i
  for ((i = 0; i < 100; i++)); do
    [ "$(tmuxp display -p -t "$pane" '#{cursor_x},#{cursor_y}')" = "$want" ] && return 0
    sleep 0.05
  done
  fail "cursor at $(tmuxp display -p -t "$pane" '#{cursor_x},#{cursor_y}'), expected $want"
}
type_text() { tmuxp send-keys -t "$pane" -l -- "$1"; }
press() { tmuxp send-keys -t "$pane" "$@"; }

# The process whose parent is $1 (the wrapper's child: pellix-term).
child_of() {
  local parent=$1 file stat fields
  for file in /proc/[0-9]*/stat; do
    read -r stat <"$file" 2>/dev/null || continue
    read -r -a fields <<<"${stat##*) }"
    if [ "${fields[1]}" = "$parent" ]; then
      file=${file#/proc/}
      echo "${file%/stat}"
      return 0
    fi
  done
  return 1
}

# A shell in a pane of the given size, with a plain prompt.
start_shell() {
  local cols=$1 rows=$2
  tmuxp new-session -d -s "$pane" -x "$cols" -y "$rows" \
    "env -i PATH=/usr/bin:/bin HOME='$work' HISTFILE= TERM=screen PS1='$ ' bash --norc --noprofile -i" ||
    fail "cannot start tmux"
  wait_for -x '$'
}

# Starts pellix-term on a fresh data folder through the recording wrapper.
dir="$work/data"
start_term() {
  local wrapper="$work/run.sh"
  cat >"$wrapper" <<'EOF'
stty -g >"$W/stty-before"
stty -a >"$W/stty-a-before"
echo $$ >"$W/wrapper.pid"
"$EXE" --dir "$DIR"
echo $? >"$W/rc"
stty -g >"$W/stty-after"
stty -a >"$W/stty-a-after"
EOF
  type_text "W='$work' EXE='$exe' DIR='$dir' sh '$wrapper'"
  press Enter
  local i
  for ((i = 0; i < 100; i++)); do
    [ -s "$work/wrapper.pid" ] && term_pid=$(child_of "$(cat "$work/wrapper.pid")") && break
    sleep 0.05
  done
  [ -n "${term_pid:-}" ] || fail "pellix-term did not start"
}

# After the program ended: its exit status, the terminal's settings as they
# were before, the console's screen gone, and the shell usable.
expect_ended() {
  local want_rc=$1 i
  for ((i = 0; i < 100; i++)); do
    [ -s "$work/stty-a-after" ] && break
    sleep 0.05
  done
  [ -s "$work/stty-a-after" ] || fail "pellix-term did not end"
  [ "$(cat "$work/rc")" = "$want_rc" ] || fail "exit status $(cat "$work/rc"), expected $want_rc"
  cmp -s "$work/stty-before" "$work/stty-after" ||
    fail "terminal settings not restored: $(cat "$work/stty-before") -> $(cat "$work/stty-after")"
  local flag
  for flag in icanon echo isig icrnl opost ixon; do
    tr ' ' '\n' <"$work/stty-a-after" | grep -qx -- "$flag" || fail "stty -a shows -$flag after the run"
  done
  wait_gone "F2 Network Plan  F10 Finish"
  local token="ok-$RANDOM"
  type_text "echo $token"
  press Enter
  wait_for -x "$token"
}

expect_welcome() {
  wait_for -x "This router simulator is designed specifically for use with the included"
  wait_for -x "Router con0 is now available"
  wait_for -x "Press RETURN to get started."
  expect_row 21 "Router>"
}

expect_no_score_file() {
  [ ! -e "$dir/user.dat" ] || fail "user.dat was written"
}

end_by_signal() {
  local signal=$1 number=$2
  start_shell 100 30
  start_term
  expect_welcome
  # Typed but not entered: nothing is saved.
  type_text "enab"
  expect_row 21 "Router>enab"
  kill "-$signal" "$term_pid"
  expect_ended $((128 + number))
  expect_no_score_file
}

case "$scenario" in
  welcome)
    start_shell 100 30
    start_term
    expect_welcome
    expect_row 0 "Vantric Sim                                                                                       OK"
    expect_row 23 "F2 Network Plan  F10 Finish"
    expect_cursor 7 21
    type_text "xyz"
    press Enter
    wait_for -x "Translating 'xyz'... %Unknown command or computer name."
    expect_row 21 "Router>"
    # Backspace (sent as DEL) removes the typo; the prompt survives extra ones.
    type_text "enablx"
    press BSpace
    type_text "e"
    press Enter
    expect_row 21 "Router#"
    wait_for -E "^Vantric Sim +Score:  [0-9]+$"
    type_text "ab"
    expect_row 21 "Router#ab"
    press BSpace BSpace BSpace
    type_text "x"
    expect_row 21 "Router#x"
    press BSpace
    expect_row 21 "Router#"
    # Ctrl-Z arrives as a key: it leaves configuration mode instead of
    # suspending the program.
    type_text "configure terminal"
    press Enter
    expect_row 21 "Router(config)#"
    press C-z
    wait_for -x "Router(config)#^Z"
    expect_row 21 "Router#"
    # "?" lists the commands and gives a fresh prompt.
    type_text "sh?"
    expect_row 22 "Help commands displayed"
    wait_for -x "Router#sh?"
    expect_row 21 "Router#"
    expect_cursor 7 21
    press F10
    expect_ended 0
    ;;
  plan)
    start_shell 100 30
    start_term
    expect_welcome
    press F2
    wait_for -x "Pellix Vantric lab environment diagram"
    for text in Router1 Router2 Switch1 HostA ServerA "TFTP Server" "Token Ring" ServerX HostZ 56K \
      172.10.0.1 210.16.54.1 210.16.54.2 192.168.50.1 192.168.10.1 172.10.55.20 172.10.0.10 \
      192.168.50.8 192.168.10.20 "Press any key to close the network plan."; do
      wait_for -F "$text"
    done
    wait_gone "Router>"
    # The closing key is not typed into the console.
    type_text "q"
    expect_row 21 "Router>"
    expect_row 22 "Network Plan displayed"
    type_text "enable"
    press Enter
    expect_row 21 "Router#"
    press F10
    expect_ended 0
    [ "$(wc -l <"$dir/user.dat")" -eq 50 ] || fail "user.dat is not the 50-line score file"
    ;;
  finish)
    start_shell 100 30
    start_term
    expect_welcome
    press F10
    expect_ended 0
    [ -f "$dir/user.dat" ] || fail "F10 did not write user.dat"
    [ "$(wc -l <"$dir/user.dat")" -eq 50 ] || fail "user.dat has $(wc -l <"$dir/user.dat") lines"
    ;;
  sigint) end_by_signal INT 2 ;;
  sigterm) end_by_signal TERM 15 ;;
  sighup) end_by_signal HUP 1 ;;
  ctrl-c)
    start_shell 100 30
    start_term
    expect_welcome
    type_text "enab"
    expect_row 21 "Router>enab"
    press C-c
    expect_ended 130
    expect_no_score_file
    ;;
  closed-terminal)
    # The terminal itself goes away: the program ends instead of lingering.
    start_shell 100 30
    start_term
    expect_welcome
    tmuxp kill-server >/dev/null 2>&1
    for ((i = 0; i < 100; i++)); do
      [ -d "/proc/$term_pid" ] || break
      sleep 0.05
    done
    [ ! -d "/proc/$term_pid" ] || { kill -KILL "$term_pid"; fail "pellix-term outlived its terminal"; }
    expect_no_score_file
    ;;
  too-small)
    start_shell 60 20
    start_term
    wait_for -x "Terminal too small: need 80x24"
    wait_for -F "now 60x20"
    tmuxp resize-window -t "$pane" -x 100 -y 30
    expect_welcome
    expect_row 23 "F2 Network Plan  F10 Finish"
    tmuxp resize-window -t "$pane" -x 79 -y 30
    wait_for -x "Terminal too small: need 80x24"
    wait_gone "Router con0 is now available"
    tmuxp resize-window -t "$pane" -x 80 -y 24
    expect_welcome
    press F10
    expect_ended 0
    ;;
  exercise)
    # Every task of the exercise, earned at the terminal's keyboard.
    [ -f "$events" ] || fail "no event script given"
    mkdir -p "$dir"
    for k in $(seq 1 50); do printf '%d,0,0,0\r\n' "$k"; done >"$dir/user.dat"
    start_shell 100 30
    start_term
    expect_welcome
    while IFS= read -r line || [ -n "$line" ]; do
      line=${line%$'\r'}
      case "$line" in
        "type "*) type_text "${line#type }" ;;
        enter) press Enter ;;
        ctrl-z) press C-z ;;
        plan) press F2 ;;
        close-plan) type_text "q" ;;
        finish) break ;;
        "" | "#"* | screen) ;;
        *) fail "the exercise uses an event this test cannot type: $line" ;;
      esac
    done <"$events"
    wait_for -E "^Vantric Sim +Score:  50$"
    press F10
    expect_ended 0
    for k in $(seq 1 50); do
      grep -q "^$k,1," "$dir/user.dat" || fail "task $k is not saved as done"
    done
    ;;
  *)
    echo "unknown scenario $scenario" >&2
    exit 2
    ;;
esac
echo "PASS ($scenario)"
