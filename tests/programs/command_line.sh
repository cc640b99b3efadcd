#!/usr/bin/env bash
# The programs' command lines, run as a user would, with no display: help,
# version, "--", and a wrong option answered with a short usage and status 2.
#   command_line.sh BINDIR
set -uo pipefail
bin=$1
unset DISPLAY WAYLAND_DISPLAY QT_QPA_PLATFORM
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
export HOME=$work XDG_DATA_HOME=$work/data XDG_RUNTIME_DIR=$work/run
mkdir -m 700 "$XDG_RUNTIME_DIR"
failures=0

# check STATUS STREAM TEXT PROGRAM ARGS...: the program ends with STATUS and
# its STREAM (out or err) holds the line TEXT ("" for an empty stream).
check() {
  local status=$1 stream=$2 text=$3 program=$4
  shift 4
  timeout 300 "$bin/$program" "$@" </dev/null >"$work/out" 2>"$work/err"
  local got=$?
  local ok=1
  [ "$got" -eq "$status" ] || ok=0
  if [ -z "$text" ]; then
    [ ! -s "$work/$stream" ] || ok=0
  else
    grep -qxF -- "$text" "$work/$stream" || ok=0
  fi
  if [ $ok -eq 0 ]; then
    echo "FAIL: $program $* -> status $got (want $status), std$stream should hold \"$text\""
    sed 's/^/  out: /' "$work/out"
    sed 's/^/  err: /' "$work/err"
    failures=$((failures + 1))
  fi
}

copyright="Copyright (C) 2026 The Pellix developers"
licence="License: MIT <https://opensource.org/license/mit>. There is NO WARRANTY."
printf 'screen\n' >"$work/-script"

for program in pellix pellix-replay; do
  [ -x "$bin/$program" ] || continue
  check 0 out "$program 1.0.0" "$program" --version
  check 0 out "$copyright" "$program" -V
  check 0 out "$licence" "$program" --version
  check 0 err "" "$program" --help
  check 0 out "  -h, --help      show this help and exit" "$program" -h
  check 2 err "$program: unknown option --bogus" "$program" --bogus
  check 2 err "Try '$program --help' for more information." "$program" --bogus
  check 2 out "" "$program" --bogus
  check 2 err "$program: unknown option -x" "$program" -x
  check 2 err "$program: --dir needs a value" "$program" --dir
done

[ -x "$bin/pellix" ] && {
  check 2 err "pellix: unexpected argument extra" pellix -- extra
  check 2 err "pellix: unexpected argument extra" pellix extra
  check 2 err "pellix: --quit-after-show takes splash, splash-settled or main" pellix --quit-after-show x
  check 2 err "pellix: -d needs a value" pellix -d
  check 2 err "pellix: --help takes no value" pellix --help=x
  # Qt's own options reach Qt: the window opens offscreen.
  check 0 err "" pellix -platform offscreen --dir "$work/gui" --quit-after-show splash
  check 2 err "pellix: unknown option --platform=offscreen" pellix --platform=offscreen
  # A folder that cannot be made: the reason on standard error too, while the
  # dialog (which would wait for a click) is up; the program is then stopped.
  "$bin/pellix" -platform offscreen --dir /nonexistent/x </dev/null >"$work/out" 2>"$work/err" &
  gui=$!
  said="pellix: cannot create the folder /nonexistent/x: its parent folder /nonexistent does not exist"
  deadline=$((SECONDS + 300))
  until grep -qxF -- "$said" "$work/err" || ! kill -0 "$gui" 2>/dev/null || ((SECONDS > deadline)); do
    sleep 0.05
  done
  grep -qxF -- "$said" "$work/err" ||
    { echo "FAIL: pellix --dir /nonexistent/x said on stderr: $(cat "$work/err")"; failures=$((failures + 1)); }
  kill "$gui" 2>/dev/null
  wait "$gui" 2>/dev/null
}

for program in pellix-term pellix-serve; do
  [ -x "$bin/$program" ] || continue
  check 0 out "$program 1.0.0" "$program" --version
  check 0 out "$licence" "$program" -V
  check 2 err "$program: unknown option --bogus" "$program" --bogus
  check 2 err "Try '$program --help' for more information." "$program" --bogus
  check 2 out "" "$program" --bogus
  check 2 err "$program: unexpected argument extra" "$program" extra
  check 2 err "$program: unexpected argument extra" "$program" -- extra
done
[ -x "$bin/pellix-term" ] && {
  check 0 out "  -h, --help      show this help and exit" pellix-term -h
  check 2 err "pellix-term: --dir needs a folder" pellix-term --dir
  check 2 err "pellix-term: unknown option -x" pellix-term -hx
}
[ -x "$bin/pellix-serve" ] && {
  check 0 out "  -h, --help              show this help" pellix-serve -h
  check 2 err "pellix-serve: --port needs a value" pellix-serve --port
  check 2 err "pellix-serve: unknown option -hx" pellix-serve -hx
  check 2 err "pellix-serve: --listen 0.0.0.0 lets others in without a password: give --class-password FILE, or --allow-open for a class without one" pellix-serve --listen 0.0.0.0
}

# pellix-replay: "--" lets a script name start with a dash; one script only.
check 0 out "" pellix-replay -- /dev/null
[ "$(timeout 300 "$bin/pellix-replay" -- -script | grep -c '"lines"')" -eq 1 ] ||
  { echo "FAIL: pellix-replay -- -script did not run the script"; failures=$((failures + 1)); }
check 2 err "pellix-replay: more than one script" pellix-replay a b
# Options act where they stand: help before a later mistake, a mistake
# before a later help.
check 0 out "  -h, --help      show this help and exit" pellix-replay a b --help --bogus
check 2 err "pellix-replay: unknown option --bogus" pellix-replay --bogus --help
check 2 err "pellix-replay: -d needs a value" pellix-replay -d
check 2 err "pellix-replay: --dir needs a folder" pellix-replay --dir= /dev/null
check 2 err "pellix-replay: no such folder: $work/none" pellix-replay --dir "$work/none"

echo "$failures failure(s)"
[ "$failures" -eq 0 ]
