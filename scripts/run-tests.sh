#!/bin/bash
# Runs every test: native (sanitised), the fuzz targets for a bounded time, the Windows tests
# (end-to-end tests included) under Wine in a private virtual display, then the benchmarks and
# the start-up measurement (which print their figures).
# Options: --bench-only. Environment: ZENTORI_FUZZ_SECONDS (default 30 per target),
# CTEST_ARGS (extra ctest arguments, e.g. "-R win.widgets" to run a subset).
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
source scripts/wine-env.sh
source scripts/display.sh

bench_only=0
[ "${1:-}" = "--bench-only" ] && bench_only=1
failed=()

stage() { printf '\n=== %s ===\n' "$*"; }

if ((!bench_only)); then
    stage "native tests"
    ctest --test-dir build/native -LE bench --output-on-failure -j2 ${CTEST_ARGS:-} ||
        failed+=("native tests")

    seconds=${ZENTORI_FUZZ_SECONDS:-30}
    for fuzzer in build/fuzz/bin/*_fuzz; do
        [ -x "$fuzzer" ] || continue
        name=$(basename "$fuzzer" _fuzz)
        stage "fuzzing $name for ${seconds}s"
        corpus="build/fuzz/corpus/$name"
        mkdir -p "$corpus"
        # Seeds: fuzz/corpus/<name>, beside the fuzz targets.
        for seeds in fuzz/corpus/"$name"; do
            [ -d "$seeds" ] && cp -r "$seeds/." "$corpus/"
        done
        "$fuzzer" -max_total_time="$seconds" -print_final_stats=1 "$corpus" \
            >"build/fuzz/$name.log" 2>&1 || { tail -50 "build/fuzz/$name.log"; failed+=("fuzz $name"); }
        grep -E '^stat::number_of_executed_units' "build/fuzz/$name.log" || true
    done
fi

stage "starting a virtual display and Wine"
start_display || exit 1
wineserver -p
trap 'wineserver -k 2>/dev/null; stop_display' EXIT
# Start Wine's background services now, with their output discarded: started by the first test,
# they would inherit CTest's output pipe and keep it open after the test has ended.
wine cmd /c exit </dev/null >/dev/null 2>&1

if ((!bench_only)); then
    stage "Windows tests under Wine (display $DISPLAY)"
    # One at a time: the tests move the real mouse pointer of the shared display.
    ctest --test-dir build/win -LE bench --output-on-failure -j1 ${CTEST_ARGS:-} ||
        failed+=("Windows tests")
fi

stage "benchmarks"
ctest --test-dir build/bench -L bench -V ${CTEST_ARGS:-} | grep -v '^[0-9]*: Test command' ||
    failed+=("native benchmarks")
ctest --test-dir build/win -L bench -V ${CTEST_ARGS:-} | grep -v '^[0-9]*: Test command' ||
    failed+=("Windows benchmarks")
# Start-up to the first page and peak memory, beside headless Chromium and a GDI+ floor.
scripts/measure-startup.sh || failed+=("start-up measurement")

if ((${#failed[@]})); then
    printf '\nFAILED: %s\n' "${failed[@]}"
    exit 1
fi
printf '\nAll tests passed.\n'
