#!/usr/bin/env bash
# The classroom server under load, as the README's figures were measured:
# 50 and 200 scripted learners, each at a human pace and at full speed (the
# next key the moment the answer arrives), with the class folder on a disk
# and on a tmpfs. Each run prints the folder's file system, the machine's
# cores and load average, and one learner at full speed as the baseline.
#
#   bench/serve-load.sh [SECONDS] [DISK_DIR] [TMPFS_DIR]
#
# SECONDS (default 10) of typing for each pace; DISK_DIR (default /var/tmp)
# and TMPFS_DIR (default /dev/shm) hold the class folders. Builds the bench
# preset first; PELLIX_SERVE=PATH runs another pellix-serve (an older build,
# for a comparison).
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-10}
disk=${2:-/var/tmp}
tmpfs=${3:-/dev/shm}
cmake --preset bench >/dev/null
cmake --build --preset bench -j "$(nproc)" --target pellix-serve-load pellix-serve >/dev/null
bin=$PWD/build-bench/bin
server=${PELLIX_SERVE:-$bin/pellix-serve}
for dir in "$disk" "$tmpfs"; do
  for learners in 50 200; do
    echo "== $learners learners, class folder in $dir"
    "$bin/pellix-serve-load" --learners "$learners" --seconds "$seconds" --server "$server" \
      --folder-in "$dir"
  done
done
