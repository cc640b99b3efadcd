#!/usr/bin/env bash
# Installs the Debian packages Pellix needs, when they are missing.
#   scripts/install-deps.sh build   what building and running needs
#   scripts/install-deps.sh test    that, plus what the tests need
set -euo pipefail

build_packages=(
  cmake ninja-build g++ pkg-config
  qt6-base-dev qt6-svg-dev libgl-dev fonts-dejavu-core
  libncurses-dev
)
test_packages=(
  libgtest-dev libgmock-dev nlohmann-json3-dev libbenchmark-dev
  tmux tidy
  clang libclang-rt-14-dev
)

wanted=("${build_packages[@]}")
if [ "${1:-build}" = test ]; then wanted+=("${test_packages[@]}"); fi

missing=()
for package in "${wanted[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$package" 2>/dev/null || true)
  [ "$status" = "install ok installed" ] || missing+=("$package")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
as_root=()
if [ "$(id -u)" -ne 0 ]; then as_root=(sudo); fi
"${as_root[@]}" apt-get update -qq
DEBIAN_FRONTEND=noninteractive "${as_root[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
