#!/usr/bin/env bash
# Tests of the web build (after `cmake --build --preset web` and the native
# default build): every transcript through pellix-replay.js, random event
# scripts through both drivers, the lab in headless Chromium, and the
# classroom scoreboard there.
#   scripts/web-tests.sh [--shots DIR]   DIR: where the browser, phone and keyboard tests save screenshots
set -euo pipefail
cd "$(dirname "$0")/.."

echo "== Transcripts through pellix-replay.js (WebAssembly)"
PELLIX_REPLAY="$PWD/build-web/bin/pellix-replay.js" build/bin/pellix_transcript_tests --gtest_brief=1
echo "== The same from standard input"
PELLIX_REPLAY_STDIN=1 PELLIX_REPLAY="$PWD/build-web/bin/pellix-replay.js" \
  build/bin/pellix_transcript_tests --gtest_brief=1

echo "== Random event scripts: native and WebAssembly drivers agree"
node tests/web/differential.mjs build/bin/pellix-replay build-web/bin/pellix-replay.js \
  "${PELLIX_DIFFERENTIAL_SCRIPTS:-40}"

echo "== The development server"
node tests/web/serve.test.mjs

echo "== The lab in headless Chromium"
(cd tests/web && npm ci --no-audit --no-fund --ignore-scripts --loglevel=error)
node tests/web/browser.test.mjs build-web/site "$@"

echo "== The classroom scoreboard: the script draws as the server does; End session"
node tests/web/scoreboard.test.mjs build/bin/pellix-serve

echo "== Accessibility (axe-core): the splash, the console, the plan, Progress"
node tests/web/axe.test.mjs build-web/site

echo "== The lab offline, after a first visit"
node tests/web/offline.test.mjs build-web/site

echo "== The lab on a phone: the on-screen keyboard's field, the touch keys, the plan"
node tests/web/phone.test.mjs build-web/site "$@"

echo "== The lessons printed: the answers open, the contents on the first page"
node tests/web/lessons-print.test.mjs build-web/site

echo "== The lab with the keyboard alone"
node tests/web/keyboard.test.mjs build-web/site "$@"

echo "== The learner's files in the browser: blocked, refused, two tabs, a kill, two sites"
node tests/web/storage.test.mjs build-web/site

echo "== The same keys in the terminal, the desktop and the browser: the same screens and files"
mkdir -p build-web/same-keys
node tests/web/same-keys.mjs build-web/site build-web/same-keys/browser.txt \
  tests/transcripts/exercise.txt tests/frontends/extras.txt
for run in term desktop; do
  record=build/same-keys/$run.txt
  [ -f "$record" ] || { echo "no $record: run ctest --preset default first"; exit 1; }
  diff -u --label "$run" --label browser "$record" build-web/same-keys/browser.txt
done
echo "the terminal, the desktop and the browser showed the same"

echo "== Load time against an empty page with the same WebAssembly (a benchmark: it prints)"
node tests/web/measure.mjs build-web/site 7
