#!/usr/bin/env bash
# Builds the web site (the lab in the browser) and serves it on this machine
# at http://127.0.0.1:${PORT:-8000}/ until Ctrl-C.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh web
cmake --preset web >/dev/null
cmake --build --preset web -j "$(nproc)"
exec node web/serve.mjs build-web/site "${PORT:-8000}"
