#!/usr/bin/env bash
# Builds Pellix's Debian packages the Debian way (dpkg-buildpackage, a Release
# build), checks them with lintian (an error or a warning fails), and checks
# the desktop entry and the AppStream metainfo. With --install (as CI does) it
# then installs the packages with apt, runs the programs from /usr/bin,
# removes the packages and checks that nothing but the learner's data is left.
#   scripts/package-check.sh [--install]
set -euo pipefail
cd "$(dirname "$0")/.."
install=false
[ "${1:-}" = --install ] && install=true

as_root=()
if [ "$(id -u)" -ne 0 ]; then as_root=(sudo); fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
chmod 755 "$work"  # apt reads the packages as its own user
version=$(dpkg-parsechangelog -S Version)
arch=$(dpkg --print-architecture)
# Shows a command in the log, then runs it.
run() {
  echo "\$ $*" >&2
  "$@"
}

echo "-- Source tree, without build folders"
src=$work/pellix-$version
mkdir "$src"
if git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
  git ls-files -z --cached --others --exclude-standard |
    tar --null --ignore-failed-read -T - -cf - 2>/dev/null | tar -xf - -C "$src"
else
  tar --exclude='./build*' --exclude=./.git -cf - . | tar -xf - -C "$src"
fi

echo "-- dpkg-buildpackage -us -uc -b"
(cd "$src" && DEB_BUILD_OPTIONS="parallel=$(nproc) terse" dpkg-buildpackage -us -uc -b)
changes=$work/pellix_${version}_${arch}.changes
debs=("$work/pellix_${version}_${arch}.deb" "$work/pellix-term_${version}_${arch}.deb")
for deb in "${debs[@]}"; do
  echo "-- $(basename "$deb")"
  dpkg-deb --info "$deb" | sed -n '/Package:/,/Description:/p'
  dpkg-deb --contents "$deb" | awk '{print $6, $7, $8}'
done

echo "-- lintian (errors and warnings fail)"
(cd "$work" && run lintian --fail-on error,warning "$(basename "$changes")")
echo "lintian: no error, no warning"

echo "-- desktop-file-validate and appstreamcli validate"
extract=$work/extract
dpkg-deb -x "${debs[0]}" "$extract"
(cd "$extract" && run desktop-file-validate usr/share/applications/pellix.desktop &&
  echo "desktop-file-validate: no problem" &&
  run appstreamcli validate --no-net usr/share/metainfo/*.metainfo.xml)

$install || exit 0

echo "-- apt-get install"
run "${as_root[@]}" env DEBIAN_FRONTEND=noninteractive \
  apt-get install -y --no-install-recommends "${debs[@]}"
dpkg-query -L pellix pellix-term | sort -u >"$work/installed"

echo "-- The programs from /usr/bin"
learner=$work/learner
mkdir -p "$learner/replay" && chmod 700 "$learner"
run /usr/bin/pellix-term --version
run env -u DISPLAY -u WAYLAND_DISPLAY /usr/bin/pellix --version
run /usr/bin/pellix-serve --version
# The classroom server's unit is installed, not enabled.
run test -f /lib/systemd/system/pellix-serve.service
run test ! -e /etc/systemd/system/multi-user.target.wants/pellix-serve.service
# And the template for several classes, hardened as installed.
run test -f /lib/systemd/system/pellix-serve@.service
if command -v systemd-analyze >/dev/null; then
  run systemd-analyze security --offline=true --threshold=30 /lib/systemd/system/pellix-serve@.service
fi
printf 'type enable\nenter\nscreen\nfinish\n' >"$learner/script"
echo "script: $(tr '\n' ';' <"$learner/script")"
(cd "$learner/replay" && run /usr/bin/pellix-replay "$learner/script") >"$learner/snapshot"
grep -o '"prompt":"Router#"' "$learner/snapshot"
echo "files written: $(ls "$learner/replay")"
run man -w pellix pellix-term pellix-replay pellix-serve
# The desktop program, offscreen, prepares the learner's data folder.
run env HOME="$learner" XDG_DATA_HOME= XDG_RUNTIME_DIR="$learner" \
  /usr/bin/pellix -platform offscreen --quit-after-show splash
echo "the learner's data: $(ls "$learner/.local/share/pellix")"
run appstreamcli validate --no-net /usr/share/metainfo/org.example.pellix.metainfo.xml
run desktop-file-validate /usr/share/applications/pellix.desktop
echo "desktop-file-validate: no problem"

echo "-- apt-get purge"
run "${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get purge -y pellix pellix-term
left=0
while read -r path; do
  [ "$path" != /. ] || continue
  [ -e "$path" ] || continue
  if [ ! -d "$path" ] || ! dpkg-query -S "$path" >/dev/null 2>&1; then
    echo "left behind: $path"
    left=1
  fi
done <"$work/installed"
[ -f "$learner/.local/share/pellix/router1.cfg" ] || { echo "the learner's data is gone"; left=1; }
[ $left -eq 0 ]
echo "Removed: nothing is left but the learner's data ($(ls "$learner/.local/share/pellix"))"
