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
# Needs the Debian packages xvfb, openbox and x11-utils.

x_session_xvfb=
x_session_wm=

# Starts the server and the window manager and waits until both answer.
x_session_start() {
  local display=$1 size=$2
  Xvfb "$display" -screen 0 "${size}x24" -nolisten tcp >/dev/null 2>&1 &
  x_session_xvfb=$!
  export DISPLAY=$display
  local _
  for _ in $(seq 100); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.05; done
  xdpyinfo >/dev/null 2>&1 || { echo "Xvfb did not start on $display" >&2; return 1; }
  openbox >/dev/null 2>&1 &
  x_session_wm=$!
  # openbox is ready once it has named itself on the root window.
  for _ in $(seq 100); do
    xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break
    sleep 0.05
  done
}

# Stops the window manager and the server, if started.
x_session_stop() {
  [ -n "$x_session_wm" ] && kill "$x_session_wm" 2>/dev/null
  [ -n "$x_session_xvfb" ] && kill "$x_session_xvfb" 2>/dev/null
  x_session_wm=
  x_session_xvfb=
  return 0
}
