#!/usr/bin/env bash
# pellix-term in a real terminal. A private tmux server runs an interactive
# shell in a pane; the shell starts pellix-term through a small sh wrapper that
# records the terminal's settings before and after the run and the program's
# exit status. The test types with send-keys and reads the pane with
# capture-pane, polling (never sleeping blindly) for what it expects.
#
#   term_in_tmux.sh PELLIX_TERM SCENARIO [EVENT_SCRIPT]
#
# Scenarios: welcome, big, plan, lessons, finish, sigint, sigterm, sighup, ctrl-c,
# closed-terminal, too-small, vt100-keys, refused-terminals, folder,
# long-line, recall, scroll-back, paste, no-color, score-problem, crash, suspend,
# plan-then-closed, pages, and exercise (the
# EVENT_SCRIPT, a whole exercise in the replay format, typed into the
# terminal at 80x23).
set -uo pipefail

if [ $# -lt 2 ] || [ $# -gt 5 ]; then
  echo "usage: $0 PELLIX_TERM SCENARIO [EVENT_SCRIPT [MORE_EVENTS OUTPUT]]" >&2
  exit 2
fi
exe=$1
scenario=$2
events=${3:-}
more_events=${4:-}
output=${5:-}
command -v tmux >/dev/null || { echo "tmux is not installed"; exit 1; }

work=$(mktemp -d "${TMPDIR:-/tmp}/pellix-term-test.XXXXXX")
socket="pellix-term-${scenario}-$$-${RANDOM}${RANDOM}"
pane="t"
# UTF-8 in and out of the panes, whatever this test's own locale.
tmuxp() { tmux -u -L "$socket" -f /dev/null "$@"; }
cleanup() {
  tmuxp kill-server >/dev/null 2>&1
  # A shell that was just killed may still be writing its last files.
  rm -rf "$work" 2>/dev/null || { sleep 0.5; rm -rf "$work"; }
}
trap cleanup EXIT
trap 'exit 1' INT TERM HUP

screen() { tmuxp capture-pane -p -t "$pane" 2>/dev/null; }
# The pane with the lines the shell wrapped joined again.
joined() { tmuxp capture-pane -p -J -t "$pane" 2>/dev/null; }
fail() {
  echo "FAIL ($scenario): $*"
  echo "--- the pane shows:"
  screen
  echo "---"
  exit 1
}

# Polls until the command given holds. The deadline is only a safety net
# (PELLIX_TEST_PATIENCE seconds, far above what a sanitizer build on a busy
# machine needs): a verdict comes from what the pane shows, never from how
# long it took.
patience=${PELLIX_TEST_PATIENCE:-120}
poll() {
  local deadline=$((SECONDS + patience))
  until "$@"; do
    ((SECONDS < deadline)) || return 1
    sleep 0.05
  done
}

# Whether the pane shows a line as grep's option (-F, -x or -E) finds it.
shows() { screen | sed 's/ *$//' | grep -q "$1" -- "$2"; }
#   wait_for -F TEXT   a line containing TEXT
#   wait_for -x LINE   a line that is exactly LINE (trailing blanks aside)
#   wait_for -E REGEX  a line matching REGEX
wait_for() {
  poll shows "$1" "$2" || fail "waited in vain for a line ($1) '$2'"
}
not_shown() { ! screen | grep -qF -- "$1"; }
wait_gone() {
  poll not_shown "$1" || fail "'$1' is still shown"
}
# Line ROW of the pane (0 = top), trailing blanks removed.
row() { screen | sed -n "$(($1 + 1))p" | sed 's/ *$//'; }
row_is() { [ "$(row "$1")" = "$2" ]; }
expect_row() {
  poll row_is "$1" "$2" || fail "row $1 is '$(row "$1")', not '$2'"
}
cursor() { tmuxp display -p -t "$pane" '#{cursor_x},#{cursor_y}'; }
cursor_at() { [ "$(cursor)" = "$1" ]; }
expect_cursor() {
  poll cursor_at "$1,$2" || fail "cursor at $(cursor), expected $1,$2"
}
type_text() { tmuxp send-keys -t "$pane" -l -- "$1"; }
press() { tmuxp send-keys -t "$pane" "$@"; }

# The process whose parent is $1 (the wrapper's child: pellix-term).
child_of() {
  local parent=$1 file stat fields
  for file in /proc/[0-9]*/stat; do
    read -r stat 2>/dev/null <"$file" || continue
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
  # History enough for a plain log's whole run.
  tmuxp start-server \; set-option -g history-limit 5000 \; new-session -d -s "$pane" -x "$cols" -y "$rows" \
    "env -i PATH=/usr/bin:/bin HOME='$work' HISTFILE= TERM=screen PS1='$ ' bash --norc --noprofile -i" ||
    fail "cannot start tmux"
  wait_for -x '$'
}

# Starts pellix-term on a fresh data folder through the recording wrapper,
# with the environment assignments given (TERM=vt100, say) and, with
# "refused" second, without waiting for it to run.
dir="$work/data"
start_term() {
  local envs=${1:-} how=${2:-}
  local wrapper="$work/run.sh"
  rm -f "$work/wrapper.pid" "$work/rc" "$work/stty-after" "$work/stty-a-after"
  cat >"$wrapper" <<'EOF'
stty -g >"$W/stty-before"
stty -a >"$W/stty-a-before"
echo $$ >"$W/wrapper.pid"
env $ENVS "$EXE" --dir "$DIR"
echo $? >"$W/rc"
stty -g >"$W/stty-after"
stty -a >"$W/stty-a-after"
EOF
  type_text "clear; W='$work' EXE='$exe' DIR='$dir' ENVS='$envs' sh '$wrapper'"
  press Enter
  [ "$how" = refused ] && return 0
  poll started || fail "pellix-term did not start"
}
started() {
  [ -s "$work/wrapper.pid" ] && term_pid=$(child_of "$(cat "$work/wrapper.pid")")
}
ended() { [ -s "$work/stty-a-after" ]; }

# After the program ended: its exit status, the terminal's settings as they
# were before, the console's screen gone, and the shell usable.
expect_ended() {
  local want_rc=$1
  poll ended || fail "pellix-term did not end"
  [ "$(cat "$work/rc")" = "$want_rc" ] || fail "exit status $(cat "$work/rc"), expected $want_rc"
  cmp -s "$work/stty-before" "$work/stty-after" ||
    fail "terminal settings not restored: $(cat "$work/stty-before") -> $(cat "$work/stty-after")"
  local flag
  for flag in icanon echo isig icrnl opost ixon; do
    tr ' ' '\n' <"$work/stty-a-after" | grep -qx -- "$flag" || fail "stty -a shows -$flag after the run"
  done
  wait_gone "Alt+1..Alt+0 = F1..F10"
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

# F1 opens the lesson page naming PATH; q takes the learner back to the
# prompt.
expect_lesson_page() {
  press F1
  wait_for -F "$1"
  type_text "q"
  expect_row 21 "Router>"
}
expect_finished_line() {
  wait_for -x "Score: $1 of 50, saved in $dir"
}

expect_score_file() {
  [ "$(wc -l <"$dir/user.dat")" -eq 50 ] || fail "user.dat is not the 50-line score file"
}

# Enter pressed N times at the prompt.
enters() {
  local k
  for ((k = 0; k < $1; k++)); do press Enter; done
}

# Waits for a run that was refused to end.
wait_refused() { poll ended; }

expect_no_score_file() {
  [ ! -e "$dir/user.dat" ] || fail "user.dat was written"
}

# The terminal's modes as tmux sees them: the alternate screen and the three
# kinds of mouse reporting, each 0 or 1.
modes() { tmuxp display -p -t "$pane" '#{alternate_on}#{mouse_any_flag}#{mouse_button_flag}#{mouse_sgr_flag}'; }
modes_are() { [ "$(modes)" = "$1" ]; }

# Ended by a signal from outside with something typed but not entered: the
# program's end is the signal's, the terminal restored; a hang-up or a
# request to stop saves the score as F10 does (SAVES yes), an interrupt
# does not.
end_by_signal() {
  local signal=$1 number=$2 saves=$3
  start_shell 80 24
  start_term
  expect_welcome
  # Typed but not entered: not a command.
  type_text "enab"
  expect_row 21 "Router>enab"
  kill "-$signal" "$term_pid"
  expect_ended $((128 + number))
  poll modes_are 0000 || fail "the terminal's modes after SIG$signal: $(modes)"
  if [ "$saves" = yes ]; then
    expect_score_file
    [ -z "$(joined | grep '^pellix-term')" ] || fail "SIG$signal printed: $(joined | grep '^pellix-term')"
  else
    expect_no_score_file
  fi
}

# A crash (a fatal signal): the terminal given back all the same, and the
# exit status the signal's.
crash_by_signal() {
  local signal=$1 number=$2
  start_shell 80 24
  start_term
  expect_welcome
  poll modes_are 1101 || fail "the run's modes: $(modes)"
  kill "-$signal" "$term_pid"
  expect_ended $((128 + number))
  poll modes_are 0000 || fail "the terminal's modes after SIG$signal: $(modes)"
}

case "$scenario" in
  welcome)
    start_shell 80 24
    start_term
    expect_welcome
    expect_row 0 "Vantric Sim                                                                   OK"
    expect_row 23 "F1 Lesson  F2 Network Plan  F3 Progress  F10 Finish  Alt+1..Alt+0 = F1..F10"
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
  same-keys)
    # The exercise and the comforts around it typed as a learner would; at
    # each "screen" the console as the terminal shows it is written down, in
    # the form every front end's run writes, for them to be compared.
    [ -f "$events" ] && [ -f "$more_events" ] && [ -n "$output" ] || fail "scripts and output needed"
    start_shell 80 24
    start_term
    expect_welcome
    : >"$output.new"
    checks=0
    scrolled=0
    # The console once the keys sent are handled: after a first Ctrl-C (which
    # the router ignores) its notice shows them handled; scrolled back, the
    # view's own notice does.
    settled() {
      if [ "$scrolled" = 1 ]; then
        wait_for -E "^Scrolled back [0-9]+ lines?:"
      else
        press C-c
        poll row_is 23 "Ctrl-C again within 2 seconds to finish (your score is saved)" ||
          fail "no Ctrl-C notice"
      fi
    }
    record() {
      checks=$((checks + 1))
      settled
      {
        echo "check $checks"
        if row_is 0 "Pellix Vantric lab environment diagram"; then
          echo "page plan"
        else
          echo "label $(row 0 | sed 's/^Vantric Sim *//')"
          local notice shown=0
          notice=$(row 23)
          [[ $notice =~ ^Scrolled\ back\ ([0-9]+)\ line ]] && shown=${BASH_REMATCH[1]}
          echo "scrolled $shown"
          for k in $(seq 1 21); do echo "| $(row "$k")" | sed "s/ *$//"; done
        fi
      } >>"$output.new"
    }
    progress() {
      press F3
      wait_for -E "^Progress: "
      echo "progress $(row 0 | sed 's/^Progress: //')" >>"$output.new"
      press F3
      wait_for -E "^Vantric Sim"
    }
    while IFS= read -r line || [ -n "$line" ]; do
      line=${line%$'\r'}
      case "$line" in
        "type "*) type_text "${line#type }"; scrolled=0 ;;
        enter) press Enter; scrolled=0 ;;
        up) press Up; scrolled=0 ;;
        down) press Down; scrolled=0 ;;
        ctrl-z) press C-z; scrolled=0 ;;
        plan | close-plan) press F2; scrolled=0 ;;
        pageup) press PPage; scrolled=1 ;;
        pagedown) press NPage; scrolled=0 ;;
        "paste "*)
          printf '%b' "${line#paste }" >"$work/paste.txt"
          tmuxp load-buffer -b keys "$work/paste.txt"
          tmuxp paste-buffer -p -r -b keys -t "$pane"
          scrolled=0 ;;
        progress) progress ;;
        screen) record ;;
        finish) press F10; expect_ended 0; break ;;
        "" | "#"*) ;;
        *) fail "a step this test cannot type: $line" ;;
      esac
    done < <(grep -v '^finish$' "$events"; cat "$more_events")
    # The score file's tasks (its other columns are drawn at random), the
    # configuration file whole.
    echo "tasks $(tr -d '\r' <"$dir/user.dat" | cut -d, -f2 | paste -sd' ')" >>"$output.new"
    echo "file router1.cfg $(sha256sum <"$dir/router1.cfg" | cut -d' ' -f1)" >>"$output.new"
    mv "$output.new" "$output"
    ;;
  idle)
    # Left alone, the console sleeps until a key or a signal: nothing wakes it
    # in ten seconds (a wake-up a second would be ten switches).
    start_shell 80 24
    start_term
    expect_welcome
    switches() { awk '/^voluntary_ctxt_switches/ {print $2}' "/proc/$term_pid/status"; }
    before=$(switches)
    sleep 10
    after=$(switches)
    [ $((after - before)) -le 2 ] || fail "idle for 10 s, pellix-term woke $((after - before)) times"
    press F10
    expect_ended 0
    ;;
  big)
    # At 200x60 the console keeps its 80 columns and 24 rows, centred: the
    # score ends above the console's right end, the strip is 80 wide.
    start_shell 200 60
    start_term
    wait_for -x "$(printf '%60s%s' '' 'Press RETURN to get started.')"
    expect_row 18 "$(printf '%60s%-78s%s' '' 'Vantric Sim' 'OK')"
    expect_row 39 "$(printf '%60sRouter>' '')"
    expect_cursor 67 39
    expect_row 41 "$(printf '%60s%s' '' 'F1 Lesson  F2 Network Plan  F3 Progress  F10 Finish  Alt+1..Alt+0 = F1..F10')"
    press F10
    expect_ended 0
    ;;
  plan)
    start_shell 80 24
    start_term
    expect_welcome
    press F2
    wait_for -x "Pellix Vantric lab environment diagram"
    for text in Router1 Router2 Switch1 HostA ServerA "TFTP Server" "Token Ring" ServerX HostZ 56K \
      172.10.0.1 210.16.54.1 210.16.54.2 192.168.50.1 192.168.10.1 172.10.55.20 172.10.0.10 \
      192.168.50.8 192.168.10.20 "q, Escape or F2 closes the network plan."; do
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
  lessons)
    # F1 and F3 over the console in the smallest terminal; the lessons page
    # placed beside the learner's files.
    start_shell 80 23
    start_term
    expect_welcome
    [ -f "$dir/readme.htm" ] || fail "readme.htm was not placed in the data folder"
    press F1
    expect_row 0 "Lesson 1 of 15: The lab network"
    expect_row 1 "Next: task 50, Look at the network plan"
    wait_for -F "$dir/readme.htm#task-50"
    wait_for -F "    [F2]  (Show Network Plan)"
    # q closes it and is not typed.
    type_text "q"
    expect_row 21 "Router>"
    type_text "?"
    expect_row 22 "Help commands displayed"
    press F3
    expect_row 0 "Progress: 1 of 50 tasks done"
    wait_for -F "   >50"
    wait_for -F "   x13 .7 .6"
    wait_for -x "Next: task 50, Look at the network plan"
    wait_for -F "Marks: x done"
    press F3
    expect_row 21 "Router>"
    press F10
    expect_ended 0
    ;;
  finish)
    start_shell 80 24
    start_term
    expect_welcome
    type_text "enable"
    press Enter
    expect_row 21 "Router#"
    press F10
    expect_ended 0
    # The shell keeps one line: the score and where it was saved.
    expect_finished_line 0
    [ -f "$dir/user.dat" ] || fail "F10 did not write user.dat"
    expect_score_file
    ;;
  score-problem)
    # A folder in place of user.dat: told on the notice line, which takes no
    # key (a command typed at once runs whole), the whole text on F3; on
    # finishing the score is said to be not saved, with exit status 1.
    start_shell 80 24
    mkdir -p "$dir/user.dat"
    start_term
    type_text "enable"
    press Enter
    wait_for -x "Router>enable"
    expect_row 21 "Router#"
    wait_for -E "^Score file \(F3 tells more\): The score file "
    press F3
    wait_for -E "^The score file "
    wait_for -F "left as it is."
    type_text "q"
    expect_row 21 "Router#"
    press F10
    expect_ended 1
    joined | grep -qxF "pellix-term: Score: 0 of 50, not saved: The score file $dir/user.dat cannot be read (Is a directory). Your score is kept for this run only; the file is left as it is." ||
      fail "no line saying the score was not saved"
    ;;
  sigint) end_by_signal INT 2 no ;;
  sigterm) end_by_signal TERM 15 yes ;;
  sighup) end_by_signal HUP 1 yes ;;
  crash)
    crash_by_signal SEGV 11
    tmuxp kill-server >/dev/null 2>&1
    socket="$socket-abrt"
    crash_by_signal ABRT 6
    tmuxp kill-server >/dev/null 2>&1
    socket="$socket-quit"
    crash_by_signal QUIT 3
    ;;
  suspend)
    # Stopped from outside: the terminal given back while stopped; continued,
    # the console is drawn again with its modes.
    start_shell 80 24
    start_term
    expect_welcome
    kill -TSTP "$term_pid"
    stopped() { [ "$(awk '{print $3}' "/proc/$term_pid/stat")" = T ]; }
    poll stopped || fail "pellix-term did not stop"
    poll modes_are 0000 || fail "the terminal's modes while stopped: $(modes)"
    kill -CONT "$term_pid"
    poll modes_are 1101 || fail "the modes after continuing: $(modes)"
    expect_welcome
    type_text "enable"
    press Enter
    expect_row 21 "Router#"
    press F10
    expect_ended 0
    ;;
  plan-then-closed)
    # The plan's task, earned and then the terminal window closed: kept.
    start_shell 80 24
    start_term
    expect_welcome
    press Enter
    press F2
    wait_for -x "Pellix Vantric lab environment diagram"
    type_text "q"
    expect_row 22 "Network Plan displayed"
    tmuxp kill-server >/dev/null 2>&1
    term_gone() { [ ! -d "/proc/$term_pid" ]; }
    poll term_gone || { kill -KILL "$term_pid"; fail "pellix-term outlived its terminal"; }
    expect_score_file
    grep -q "^50,1," "$dir/user.dat" || fail "the plan's task is not saved"
    ;;
  pages)
    # A page the learner opened closes on its own keys only; typed keys do
    # nothing there, pasted text closes it and is typed whole, and Ctrl-C
    # tells on the page itself.
    start_shell 80 24
    start_term
    expect_welcome
    press F1
    expect_row 0 "Lesson 1 of 15: The lab network"
    type_text "x"
    wait_for -F "q, Escape or F1 closes"
    expect_row 0 "Lesson 1 of 15: The lab network"
    printf 'enable\r' >"$work/paste.txt"
    tmuxp load-buffer -b line "$work/paste.txt"
    tmuxp paste-buffer -p -r -b line -t "$pane"
    wait_for -x "Router>enable"
    expect_row 21 "Router#"
    press F3
    expect_row 0 "Progress: 0 of 50 tasks done"
    press F1
    expect_row 0 "Lesson 1 of 15: The lab network"
    press Escape
    expect_row 21 "Router#"
    press F3
    press C-c
    wait_for -x "Ctrl-C again within 2 seconds to finish (your score is saved)"
    expect_row 0 "Progress: 0 of 50 tasks done"
    press C-c
    expect_ended 0
    expect_finished_line 0
    ;;
  ctrl-c)
    start_shell 80 24
    start_term
    expect_welcome
    type_text "enable"
    press Enter
    type_text "conf"
    # Once: nothing changes but a notice saying how to end.
    press C-c
    wait_for -x "Ctrl-C again within 2 seconds to finish (your score is saved)"
    expect_row 21 "Router#conf"
    wait_gone "Ctrl-C again within 2 seconds"
    wait_for -F "Alt+1..Alt+0 = F1..F10"
    type_text "ig t"
    press Enter
    expect_row 21 "Router(config)#"
    # Twice: ended as Finish ends, the score saved (both keys in one write,
    # well within the two seconds however busy the machine is).
    press C-c C-c
    expect_ended 0
    expect_finished_line 1
    expect_score_file
    ;;
  closed-terminal)
    # The terminal itself goes away: the program ends instead of lingering,
    # its run finished as F10 finishes it (the score saved).
    start_shell 80 24
    start_term
    expect_welcome
    tmuxp kill-server >/dev/null 2>&1
    term_gone() { [ ! -d "/proc/$term_pid" ]; }
    poll term_gone || { kill -KILL "$term_pid"; fail "pellix-term outlived its terminal"; }
    expect_score_file
    ;;
  too-small)
    start_shell 60 20
    start_term
    wait_for -x "Terminal too small: need 80x23"
    wait_for -F "now 60x20"
    # 80x23, as in tmux with its status line on a 24-row terminal: all but the
    # hint row, whose keys are named beside the caption instead.
    tmuxp resize-window -t "$pane" -x 80 -y 23
    expect_welcome
    expect_row 22 ""
    wait_gone "Alt+1..Alt+0 = F1..F10"
    wait_for -E "^Vantric Sim  F1 Lesson .* F10 Finish"
    tmuxp resize-window -t "$pane" -x 79 -y 30
    wait_for -x "Terminal too small: need 80x23"
    wait_gone "Router con0 is now available"
    tmuxp resize-window -t "$pane" -x 80 -y 22
    wait_for -F "now 80x22"
    tmuxp resize-window -t "$pane" -x 80 -y 24
    expect_welcome
    expect_row 23 "F1 Lesson  F2 Network Plan  F3 Progress  F10 Finish  Alt+1..Alt+0 = F1..F10"
    press F10
    expect_ended 0
    ;;
  vt100-keys)
    # A vt100 description lacks F10 as ESC [ 21 ~; it works all the same,
    # as do Alt+2 (ESC 2) for F2 and the description's own F2 (ESC O Q).
    start_shell 80 24
    start_term "TERM=vt100"
    expect_welcome
    tmuxp send-keys -t "$pane" -H 1b 32
    wait_for -x "Pellix Vantric lab environment diagram"
    type_text "q"
    expect_row 21 "Router>"
    tmuxp send-keys -t "$pane" -H 1b 4f 51
    wait_for -x "Pellix Vantric lab environment diagram"
    type_text "q"
    expect_row 21 "Router>"
    tmuxp send-keys -t "$pane" -H 1b 5b 32 31 7e
    expect_ended 0
    expect_finished_line 1
    ! joined | grep -qF "[21~" || fail "the key's sequence was typed"
    ;;
  alt-digit)
    # Alt+digit as a default xterm sends it: the digit's byte with the high
    # bit set (0xB2 for Alt+2), or in UTF-8 that character (C2 B3 for Alt+3);
    # Escape, then a digit, with a notice while it waits; at 80x23 the keys
    # are named beside the caption.
    start_shell 80 23
    start_term "TERM=xterm"
    expect_welcome
    wait_for -E "^Vantric Sim  F1 Lesson F2 Network Plan F3 Progress F10 Finish Alt\+1\.\.0 +OK$"
    tmuxp send-keys -t "$pane" -H b2
    wait_for -x "Pellix Vantric lab environment diagram"
    type_text "q"
    expect_row 21 "Router>"
    tmuxp send-keys -t "$pane" -H c2 b3
    wait_for -E "^Progress: 1 of 50 tasks done"
    type_text "q"
    expect_row 21 "Router>"
    press Escape
    wait_for -F "Escape: press a digit now for F1..F10 (0 = F10)"
    type_text "1"
    expect_row 0 "Lesson 2 of 15: Getting around: modes, help, history"
    wait_gone "Escape: press a digit"
    type_text "q"
    expect_row 21 "Router>"
    # Left alone, the Escape is the Escape key once its second is up.
    press Escape
    wait_for -F "Escape: press a digit now"
    wait_gone "Escape: press a digit now"
    type_text "1"
    expect_row 21 "Router>1"
    press BSpace
    ! joined | grep -qF $'\xc2' || fail "a byte of Alt+digit was typed"
    tmuxp send-keys -t "$pane" -H b0
    expect_ended 0
    expect_finished_line 1
    ;;
  plain)
    # TERM=dumb: the console as a plain log. The keys of the first lessons
    # (EVENT_SCRIPT) typed; the pane, history included, shows the log
    # expected (MORE_EVENTS), the data folder written {folder}.
    [ -f "$events" ] && [ -f "$more_events" ] || fail "keys and log needed"
    start_shell 80 24
    start_term "TERM=dumb"
    wait_for -x "Press RETURN to get started."
    last_is() { [ "$(joined | sed 's/ *$//' | grep -v '^$' | tail -n 1)" = "$1" ]; }
    line_is() { joined | sed 's/ *$//' | grep -qxF -- "$1"; }
    while IFS= read -r step || [ -n "$step" ]; do
      case "$step" in
        "type "*) type_text "${step#type }" ;;
        enter) press Enter ;;
        "hex "*) tmuxp send-keys -t "$pane" -H ${step#hex } ;;
        "wait-last "*) poll last_is "${step#wait-last }" || fail "the last line is not '${step#wait-last }'" ;;
        "wait-line "*) poll line_is "${step#wait-line }" || fail "no line '${step#wait-line }'" ;;
        "" | "#"*) ;;
        *) fail "a step this test cannot type: $step" ;;
      esac
    done <"$events"
    poll ended || fail "pellix-term did not end"
    tmuxp capture-pane -p -J -S - -t "$pane" | sed 's/ *$//' |
      awk '/^Vantric Sim: / {on = 1} /^Score: [0-9]+ of 50, saved in / {on = 0} on' |
      sed "s|$dir|{folder}|g" >"$work/log.txt"
    diff -u "$more_events" "$work/log.txt" >"$work/log.diff" ||
      fail "the log differs from the one expected: $(head -n 40 "$work/log.diff")"
    [ "$(cat "$work/rc")" = 0 ] || fail "exit status $(cat "$work/rc")"
    expect_finished_line 4
    ;;
  refused-terminals)
    # A terminal that cannot move the cursor gets one line naming its type,
    # exit status 1, and nothing drawn or created.
    start_shell 80 24
    # (TERM=dumb, the one installed type that cannot, gets the plain log
    # instead: a made-up type stands for the others.)
    printf 'pellix-nocup|a terminal that cannot move the cursor,\n\tcols#80, lines#24, bel=^G, cr=\\r,\n' \
      >"$work/nocup.src"
    tic -o "$work/terminfo" "$work/nocup.src" || fail "tic cannot compile the made-up type"
    for case in 'pellix-nocup|the terminal type "pellix-nocup" cannot move the cursor, which the console needs' \
      'pellix-nosuch|unknown terminal type "pellix-nosuch"; the console needs one that can move the cursor' \
      '|the terminal type is not set (TERM is empty); the console needs one that can move the cursor'; do
      type=${case%%|*}
      start_term "TERMINFO=$work/terminfo TERM=$type" refused
      wait_refused
      expect_ended 1
      joined | grep -qxF "pellix-term: ${case#*|}" || fail "no refusal for TERM='$type'"
      [ "$(joined | grep -c '^pellix-term')" -eq 1 ] || fail "more than one line for TERM='$type'"
      [ ! -e "$dir" ] || fail "the data folder was created for TERM='$type'"
    done
    ;;
  folder-name)
    # A folder whose name is not ASCII, in a UTF-8 locale: the F1 page shows
    # its path as it is, not as question marks. In the C locale the console
    # still keeps its columns, one "?" a character.
    start_shell 80 24
    mkdir -p "$work/josé"
    dir="$work/josé/data"
    start_term "LANG=C.UTF-8"
    expect_welcome
    expect_lesson_page "$dir/readme.htm#task-50"
    press F10
    expect_ended 0
    start_term "LANG=C"
    expect_welcome
    press F1
    wait_for -F "$work/jos?/data/readme.htm#task-50"
    press F10
    expect_ended 0
    ;;
  lesson-link)
    # On a terminal of a family that takes hyperlinks the F1 page's path is
    # an OSC 8 link to its file:// URL (this machine's name, the path
    # percent-encoded), the plain path shown as before; on a vt100 no link
    # is written. The program's output is recorded as it comes.
    start_shell 80 24
    mkdir -p "$work/josé x"
    dir="$work/josé x/data"
    url="file://$(hostname)$(printf '%s' "$dir" | sed 's/é/%C3%A9/; s/ /%20/')/readme.htm#task-50"
    for type in xterm vt100; do
      : >"$work/output"
      tmuxp pipe-pane -o -t "$pane" "cat >>'$work/output'"
      start_term "TERM=$type LANG=C.UTF-8"
      expect_welcome
      expect_lesson_page "$dir/readme.htm#task-50"
      press F10
      expect_ended 0
      tmuxp pipe-pane -t "$pane"
      link=$'\e]8;;'"$url"$'\e\\'"$dir/readme.htm#task-50"$'\e]8;;\e\\'
      if [ "$type" = xterm ]; then
        grep -qaF -- "$link" "$work/output" || fail "no link for TERM=$type: $(grep -ao $'\e]8;;[^\e]*' "$work/output" | head -3)"
      else
        ! grep -qaF $'\e]8;' "$work/output" || fail "a link was written for TERM=$type"
      fi
    done
    ;;
  environment-size)
    # COLUMNS and LINES left in the environment for another size: the
    # console takes the terminal's own (80x24), drawn right from the start.
    start_shell 80 24
    start_term "COLUMNS=100 LINES=30"
    expect_welcome
    expect_row 0 "Vantric Sim                                                                   OK"
    expect_row 23 "F1 Lesson  F2 Network Plan  F3 Progress  F10 Finish  Alt+1..Alt+0 = F1..F10"
    expect_cursor 7 21
    press F10
    expect_ended 0
    ;;
  folder)
    # --dir creates a missing last folder, not a missing parent.
    start_shell 80 24
    dir="$work/no-such-parent/data"
    start_term "" refused
    wait_refused
    expect_ended 1
    joined | grep -qxF "pellix-term: cannot create the folder $dir: its parent folder $work/no-such-parent does not exist" ||
      fail "no message for the missing parent"
    [ ! -e "$work/no-such-parent" ] || fail "the missing parent was created"
    dir="$work/new-data"
    start_term
    expect_welcome
    [ -f "$dir/router1.cfg" ] || fail "the new folder has no router1.cfg"
    press F10
    expect_ended 0
    ;;
  long-line)
    # A 120-character command: while typed, its end and the cursor stay in
    # view with a marker for the hidden beginning; its echo ends in a marker.
    start_shell 80 24
    start_term
    expect_welcome
    command="pong $(printf 'a%.0s' $(seq 1 105))0123456789"
    [ ${#command} -eq 120 ] || fail "the command is ${#command} characters"
    type_text "$command"
    line="Router>$command"
    expect_row 21 "<${line: -78}"
    expect_cursor 79 21
    press BSpace
    type_text "X"
    line="${line%9}X"
    expect_row 21 "<${line: -78}"
    press Enter
    expect_row 19 "${line:0:79}>"
    expect_row 20 "$(printf "Translating '%.66s>" "$command")"
    expect_row 21 "Router>"
    press F10
    expect_ended 0
    ;;
  long-line-wide)
    # At 132 columns the console keeps its 80, centred, and a longer line
    # goes on into the margin to the terminal's edge; Right shows the rest
    # of what is cut there, Left goes back, another key returns and is typed.
    start_shell 132 24
    start_term
    wait_for -x "$(printf '%26s%s' '' 'Press RETURN to get started.')"
    command="pong $(printf 'a%.0s' $(seq 1 80))0123456789"
    type_text "$command"
    press Enter
    echo_line="Router>$command"
    answer="Translating '$command'... %Unknown command or computer name."
    expect_row 19 "$(printf '%26s%s' '' "$echo_line")"
    expect_row 20 "$(printf '%26s%s>' '' "${answer:0:105}")"
    press Right
    expect_row 23 "$(printf '%26s%s' '' 'Shifted 40 columns right: Left/Right, any other key returns')"
    expect_row 19 "$(printf '%26s%s' '' "${echo_line:40}")"
    expect_row 20 "$(printf '%26s%s>' '' "${answer:40:105}")"
    press Right
    expect_row 20 "$(printf '%26s%s' '' "${answer:80}")"
    press Left Left
    expect_row 20 "$(printf '%26s%s>' '' "${answer:0:105}")"
    press Right
    wait_for -F "Shifted 40 columns right"
    type_text "x"
    expect_row 21 "$(printf '%26s%s' '' 'Router>x')"
    expect_row 20 "$(printf '%26s%s>' '' "${answer:0:105}")"
    press F10
    expect_ended 0
    ;;
  recall)
    start_shell 80 24
    start_term
    expect_welcome
    for command in enable "show history" "sh clock"; do
      type_text "$command"
      press Enter
    done
    expect_row 21 "Router#"
    press Up
    expect_row 21 "Router#sh clock"
    press Up
    expect_row 21 "Router#show history"
    press Up Up
    expect_row 21 "Router#enable"
    press Down
    expect_row 21 "Router#show history"
    press Enter
    wait_for -x "Router#show history"
    expect_row 21 "Router#"
    press F10
    expect_ended 0
    ;;
  scroll-back)
    start_shell 80 24
    start_term
    expect_welcome
    enters 25
    wait_gone "Press RETURN to get started."
    press PPage
    wait_for -x "Press RETURN to get started."
    expect_row 23 "Scrolled back 20 lines: PgUp/PgDn, any other key returns"
    press PPage
    wait_for -x "Router con0 is now available"
    press NPage
    expect_row 23 "Scrolled back 5 lines: PgUp/PgDn, any other key returns"
    # A typed key brings back the live screen and is typed there.
    type_text "e"
    expect_row 21 "Router>e"
    wait_gone "Press RETURN to get started."
    wait_gone "Scrolled back"
    # The wheel, as the terminal reports it (button 64 up, 65 down).
    tmuxp send-keys -t "$pane" -H 1b 5b 3c 36 34 3b 31 30 3b 35 4d
    expect_row 23 "Scrolled back 3 lines: PgUp/PgDn, any other key returns"
    tmuxp send-keys -t "$pane" -H 1b 5b 3c 36 35 3b 31 30 3b 35 4d
    wait_gone "Scrolled back"
    expect_row 21 "Router>e"
    press F10
    expect_ended 0
    ;;
  paste)
    # A saved configuration pasted in configuration mode, bracketed, with
    # every kind of line end: each line is one command, the markers never
    # reach the router.
    start_shell 80 24
    start_term
    expect_welcome
    type_text "enable"
    press Enter
    type_text "config t"
    press Enter
    expect_row 21 "Router(config)#"
    printf '%s\r\n' "hostname R1" "enable password pelix" "line con 0" "password con" "exit" \
      >"$work/paste.txt"
    printf '%s\n' "int e0" "ip address 172.10.0.1 255.255.0.0" >>"$work/paste.txt"
    printf '%s\r' "no shutdown" "exit" >>"$work/paste.txt"
    tmuxp load-buffer -b cfg "$work/paste.txt"
    tmuxp paste-buffer -p -r -b cfg -t "$pane"
    expect_row 21 "R1(config)#"
    for line in "Router(config)#hostname R1" "R1(config)#enable password pelix" \
      "R1(config)#line con 0" "R1(config-line)#password con" "R1(config-line)#exit" \
      "R1(config)#int e0" "R1(config-if)#ip address 172.10.0.1 255.255.0.0" \
      "R1(config-if)#no shutdown" "R1(config-if)#exit"; do
      wait_for -x "$line"
    done
    ! screen | grep -qF "[20" || fail "a paste marker reached the console"
    press C-z
    type_text "show running-config"
    press Enter
    wait_for -x "HostName R1"
    press F10
    expect_ended 0
    ;;
  no-color)
    # The strip is coloured unless NO_COLOR is set; then it is in reverse video.
    colour=$'\e\\[([0-9]+;)*(3[0-7]|4[0-7]|38;5;[0-9]+|48;5;[0-9]+)(;[0-9]+)*m'
    reverse=$'\e\\[([0-9]+;)*7(;[0-9]+)*m'
    for envs in "" "NO_COLOR=1"; do
      start_shell 80 24
      start_term "$envs"
      expect_welcome
      type_text "sh?"
      expect_row 22 "Help commands displayed"
      strip=$(tmuxp capture-pane -p -e -t "$pane" | sed -n 23p)
      if [ -z "$envs" ]; then
        grep -qE "$colour" <<<"$strip" || fail "the strip has no colour: $(cat -v <<<"$strip")"
      else
        ! grep -qE "$colour" <<<"$strip" || fail "colour despite NO_COLOR: $(cat -v <<<"$strip")"
        grep -qE "$reverse" <<<"$strip" || fail "the strip is not reversed: $(cat -v <<<"$strip")"
      fi
      press F10
      expect_ended 0
      # The next run on a tmux server of its own.
      tmuxp kill-server >/dev/null 2>&1
      socket="$socket-next"
    done
    ;;
  exercise)
    # Every task of the exercise, earned at the terminal's keyboard.
    [ -f "$events" ] || fail "no event script given"
    mkdir -p "$dir"
    for k in $(seq 1 50); do printf '%d,0,0,0\r\n' "$k"; done >"$dir/user.dat"
    start_shell 80 23
    start_term
    expect_welcome
    while IFS= read -r line || [ -n "$line" ]; do
      line=${line%$'\r'}
      case "$line" in
        "type "*) type_text "${line#type }" ;;
        enter) press Enter ;;
        up) press Up ;;
        down) press Down ;;
        ctrl-z) press C-z ;;
        plan) press F2 ;;
        close-plan) type_text "q" ;;
        finish) break ;;
        "" | "#"* | screen) ;;
        *) fail "the exercise uses an event this test cannot type: $line" ;;
      esac
    done <"$events"
    wait_for -E "^Vantric Sim .*Score:  50$"
    press F10
    expect_ended 0
    expect_finished_line 50
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
