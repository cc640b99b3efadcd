#!/usr/bin/env bash
# Builds the libFuzzer targets (preset "fuzz", folder build-fuzz/) and runs
# each fuzzer for the given number of seconds with a fixed seed, starting
# from the committed seeds, the transcripts and the earlier regressions.
# Fails when a fuzzer finds a fault; the input that shows it is kept under
# fuzz/regressions/<fuzzer>/.
#
#   scripts/fuzz.sh [SECONDS_PER_FUZZER] [FUZZER...]
#
# Environment: FUZZ_SEED (default 1), FUZZ_JOBS (fuzzers run at once,
# default 1), FUZZ_NICE (niceness, default 0).
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-30}
shift || true
fuzzers=("$@")
[ ${#fuzzers[@]} -gt 0 ] || fuzzers=(event_fuzzer config_file_fuzzer score_file_fuzzer serve_fuzzer)
seed=${FUZZ_SEED:-1}
jobs=${FUZZ_JOBS:-1}
niceness=${FUZZ_NICE:-0}

cd "$root"
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j2
bin=$root/build-fuzz/bin
work=$root/build-fuzz/corpus

# Seeds of the event fuzzer: the committed scripts and every transcript.
mkdir -p "$work/event_fuzzer.seeds"
for script in fuzz/seeds/event/*.txt tests/transcripts/*.txt; do
    [ -f "$script" ] || continue
    name=$(basename "$(dirname "$script")")-$(basename "$script" .txt)
    "$bin/pellix-fuzz-seed" "$script" "$work/event_fuzzer.seeds/$name"
done

run_one() {
    local fuzzer=$1 short=${1%_fuzzer}
    local corpus=$work/$fuzzer regressions=$root/fuzz/regressions/$fuzzer
    local seeds=$root/fuzz/seeds/$short dict=$root/fuzz/$short.dict log=$work/$fuzzer.log
    mkdir -p "$corpus" "$regressions"
    local inputs=("$corpus" "$regressions")
    [ -d "$seeds" ] && inputs+=("$seeds")
    [ -d "$work/$fuzzer.seeds" ] && inputs+=("$work/$fuzzer.seeds")
    # -timeout finds hangs only: far above what one input takes on a busy
    # machine, so that a slow machine never turns an input into a finding.
    local options=(-seed="$seed" -max_total_time="$seconds" -timeout=120 -rss_limit_mb=2048
        -interrupted_exitcode=72
        -max_len=4096 -print_final_stats=1 -artifact_prefix="$regressions/")
    [ -f "$dict" ] && options+=(-dict="$dict")
    # The event fuzzer's seeds are scripts; its corpus folder takes the
    # binary inputs.
    if [ "$fuzzer" = event_fuzzer ]; then
        inputs=("$corpus" "$regressions" "$work/$fuzzer.seeds")
    fi
    echo "== $fuzzer for ${seconds}s (log: $log)"
    local status=0
    nice -n "$niceness" "$bin/$fuzzer" "${options[@]}" "${inputs[@]}" >"$log" 2>&1 || status=$?
    grep -E '^stat::number_of_executed_units|^#[0-9]+.*DONE' "$log" | tail -2 || true
    [ $status -eq 0 ] && return 0
    if [ $status -eq 72 ]; then
        echo "!! $fuzzer was interrupted"
        return 1
    fi
    tail -40 "$log"
    echo "!! $fuzzer found a fault; reproducer under fuzz/regressions/$fuzzer/"
    return 1
}

status=0
pids=()
# Stopped from outside (a time limit, Ctrl-C): stop the fuzzers too. Each
# fuzzer removes its own scratch folders however it ends.
trap 'kill "${pids[@]}" 2>/dev/null; exit 130' INT TERM
for fuzzer in "${fuzzers[@]}"; do
    run_one "$fuzzer" &
    pids+=($!)
    if [ ${#pids[@]} -ge "$jobs" ]; then
        wait "${pids[0]}" || status=1
        pids=("${pids[@]:1}")
    fi
done
for pid in "${pids[@]}"; do wait "$pid" || status=1; done
exit $status
