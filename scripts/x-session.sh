# A private X server for the scripts that photograph or measure the desktop
# program: Xvfb on a display of the caller's choosing with the openbox window
# manager, so windows get the frames and focus a learner's desktop gives them.
# Sourced, not run:
#
#   source "$root/scripts/x-session.sh"
#   x_session_start :99 1920x1080      # exports DISPLAY
#   ...
#   x_session_stop                     # from the script's EXIT trap
#
# Or, for a script that keeps its files in a scratch folder "$work" and runs
# the program it photographs as "$app_pid": `trap x_session_cleanup EXIT`.
#
# x_session_window NAME gives the id of a window by its title (with xdotool).
#
# Needs the Debian packages xvfb, openbox and x11-utils (and xdotool for
# x_session_window).

x_session_xvfb=
x_session_wm=

# Starts the server and the window manager and waits until both answer;
# fails when the display is taken or either does not come up, and then
# leaves nothing running. The waits end as soon as each answers (or the
# server gives up, as it does on a display another server holds); 30 s is
# only a safety net for a busy machine.
x_session_start() {
  local display=$1 size=$2 _
  if DISPLAY=$display xdpyinfo >/dev/null 2>&1; then
    echo "display $display is already in use" >&2
    return 1
  fi
  Xvfb "$display" -screen 0 "${size}x24" -nolisten tcp >/dev/null 2>&1 &
  x_session_xvfb=$!
  export DISPLAY=$display
  for _ in $(seq 600); do
    x_session_serving && break
    kill -0 "$x_session_xvfb" 2>/dev/null || break
    sleep 0.05
  done
  if ! x_session_serving; then
    echo "Xvfb did not start on $display" >&2
    x_session_stop
    return 1
  fi
  openbox >/dev/null 2>&1 &
  x_session_wm=$!
  # openbox is ready once it has named itself on the root window.
  for _ in $(seq 600); do
    x_session_has_wm && return 0
    kill -0 "$x_session_wm" 2>/dev/null || break
    sleep 0.05
  done
  echo "openbox did not start on $display" >&2
  x_session_stop
  return 1
}

# Starts a session on the first free display from FIRST to LAST (numbers),
# for tests that run beside others: x_session_start_free 70 99 1024x768.
x_session_start_free() {
  local first=$1 last=$2 size=$3 display
  for display in $(seq "$first" "$last"); do
    x_session_start ":$display" "$size" 2>/dev/null && return 0
  done
  echo "no free X display from :$first to :$last" >&2
  return 1
}

# Our server answers: its lock file names it (a server still going away on
# the same display may answer too).
x_session_serving() {
  [ "$(tr -d ' ' 2>/dev/null <"/tmp/.X${DISPLAY#:}-lock")" = "$x_session_xvfb" ] &&
    xdpyinfo >/dev/null 2>&1
}

x_session_has_wm() {
  kill -0 "$x_session_wm" 2>/dev/null &&
    xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'
}

# The id of the visible window titled exactly NAME, waiting up to 10 s for it.
# xdotool's search gives up with BadWindow when a window closes while it looks
# (a splash making way for the main window): the search is then repeated.
x_session_window() {
  local name=$1 id _
  for _ in 1 2 3 4 5; do
    id=$(timeout 10 xdotool search --sync --onlyvisible --name "^$name\$" 2>/dev/null | head -n 1) || true
    [ -n "$id" ] && { echo "$id"; return 0; }
    sleep 0.2
  done
  echo "no window \"$name\"" >&2
  return 1
}

# Stops the window manager and the server, if started, and waits for them.
x_session_stop() {
  local pid
  for pid in $x_session_wm $x_session_xvfb; do
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
  done
  x_session_wm=
  x_session_xvfb=
}

# Stops the caller's program ($app_pid) if it still runs, the window manager
# and the server, and removes the caller's scratch folder ($work).
x_session_cleanup() {
  if [ -n "${app_pid:-}" ]; then kill "$app_pid" 2>/dev/null || true; fi
  x_session_stop
  if [ -n "${work:-}" ]; then rm -rf "$work"; fi
}
