#!/usr/bin/env bash
# The desktop program as a screen reader meets it: on an X display with a
# window manager, with the accessibility bus (AT-SPI) of a private D-Bus
# session, read by assistive_bus.py. Skipped (77) where the machine lacks
# the X server, the window manager, the bus or pyatspi.
#   tests/gui/assistive-bus.sh PATH-TO-pellix
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
program=$1
python=/usr/bin/python3  # the system's Python, which has Debian's pyatspi

for tool in Xvfb openbox xdpyinfo xprop xdotool dbus-run-session; do
  command -v "$tool" >/dev/null || { echo "skipped: no $tool"; exit 77; }
done
[ -x /usr/libexec/at-spi-bus-launcher ] || { echo "skipped: no at-spi2-core"; exit 77; }
"$python" -c 'import pyatspi' 2>/dev/null || { echo "skipped: no pyatspi"; exit 77; }

if [ "${1:-}" != --in-session ]; then
  exec dbus-run-session -- "$0" --in-session "$program"
fi
program=$2

source "$here/../../scripts/x-session.sh"
work=$(mktemp -d)
app_pid=
trap x_session_cleanup EXIT
# A display of its own, beside any other test's.
x_session_start_free 70 99 1024x768

# Qt speaks to the bus whether or not a screen reader has asked it to.
export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1
export HOME=$work XDG_CONFIG_HOME=$work/config
mkdir -p "$work/lab"
(cd "$work/lab" && exec "$program") &
app_pid=$!
"$python" "$here/assistive_bus.py"
