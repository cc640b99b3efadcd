#!/usr/bin/env bash
# Installs the Debian packages Pellix needs, when they are missing. The names
# hold on Debian 12 and later (versionless names, e.g. the clang runtime of
# Debian's default clang through libclang-rt-dev).
#   scripts/install-deps.sh build   what building and running needs
#   scripts/install-deps.sh web     that, plus what the web build needs
#   scripts/install-deps.sh test    all of it, plus what the tests and the package
#                                   check (scripts/package-check.sh) need
set -euo pipefail

build_packages=(
  cmake ninja-build g++ pkgconf
  qt6-base-dev qt6-svg-dev libgl-dev libfontconfig-dev fonts-dejavu-core
  libncurses-dev
  libtelnet-dev libcpp-httplib-dev libarchive-dev libcrypt-dev libssh-dev
  nlohmann-json3-dev
)
# The web build (cmake --preset web): emscripten, whose optimizer needs acorn;
# rsvg-convert and pngquant for the page's PNG pictures.
web_packages=(
  emscripten node-acorn nodejs librsvg2-bin pngquant
)
test_packages=(
  libgtest-dev libgmock-dev libbenchmark-dev
  tmux tidy telnet openssh-client strace systemd
  xvfb openbox x11-utils xdotool dbus-daemon at-spi2-core python3-pyatspi
  clang libclang-rt-dev
  chromium
  build-essential debhelper dpkg-dev lintian appstream desktop-file-utils man-db
)

wanted=("${build_packages[@]}")
case "${1:-build}" in
  web) wanted+=("${web_packages[@]}") ;;
  test) wanted+=("${web_packages[@]}" "${test_packages[@]}") ;;
esac

missing=()
for package in "${wanted[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$package" 2>/dev/null || true)
  [ "$status" = "install ok installed" ] || missing+=("$package")
done
# The browser test installs its driver from the npm registry with npm, which
# comes with Debian's nodejs only as a package of its own.
if [ "${1:-build}" = test ] && ! command -v npm >/dev/null; then missing+=(npm); fi
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
as_root=()
if [ "$(id -u)" -ne 0 ]; then as_root=(sudo); fi
"${as_root[@]}" apt-get update -qq
DEBIAN_FRONTEND=noninteractive "${as_root[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
