#!/usr/bin/env bash
# Measures Iconlane against a bare floor program under Wine and prints a table:
#   scripts/benchmark.sh [runs per figure, default 5]
# For 1, 10 and 30 icons: the median time from process start to the last tray icon added, and the
# working set once idle (1 s later), for iconlane.exe and for tests/bench/floor.cpp, with the
# ratio Iconlane/floor, and the floor's time when each icon has a hidden window of its own, as
# Iconlane's do; then the size of iconlane.exe, and native Google Benchmark figures for
# parsing a batch file and an options file (libbenchmark-dev). Run it with nothing else busy.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
runs=${1:-5}
build=${ICONLANE_BENCH_BUILD:-$root/build/bench}
export ICONLANE_WINE_DIR=${ICONLANE_WINE_DIR:-$root/build/wine-bench}

cmake --preset win64 -B "$build" >/dev/null
cmake --build "$build" -j2 --target iconlane iconlane_bench_floor iconlane_bench_startup >/dev/null
iconlane=$build/iconlane.exe
floor=$build/tests/bench/iconlane_bench_floor.exe
probe=$build/tests/bench/iconlane_bench_startup.exe

work=$(mktemp -d)
trap 'bash "$root/scripts/wine-session.sh" stop >/dev/null 2>&1 || true; rm -rf "$work"' EXIT

# One start of `program` in a fresh Wine session; appends "milliseconds bytes" to the file `out`.
# Wine's task bar keeps a window for every icon ever deleted, and each start slows the next
# one, so every measurement begins with the same, empty tray.
measure() {
    local out=$1 prefix=$2 icons=$3 program=$4 arguments=$5
    bash "$root/scripts/wine-session.sh" stop >/dev/null 2>&1
    bash "$root/scripts/wine-session.sh" start >/dev/null
    bash "$root/scripts/wine-run.sh" "$probe" "$work/one.txt" "$prefix" "$icons" "$program" \
        "$arguments" >/dev/null 2>&1
    cat "$work/one.txt" >>"$out"
}

median() {  # column $2 of file $1
    tr -d '\r' <"$1" | cut -d' ' -f"$2" | sort -g | awk '{v[NR]=$1} END {print v[int((NR+1)/2)]}'
}

ratio() { awk -v a="$1" -v b="$2" 'BEGIN {printf "%.2f", a / b}'; }

echo "| icons | start-up Iconlane (ms) | start-up floor (ms) | ratio | floor with a window per icon (ms) | idle working set Iconlane (KB) | floor (KB) | ratio |"
echo "|---:|---:|---:|---:|---:|---:|---:|---:|"
for icons in 1 10 30; do
    batch=$work/lane$icons.txt
    for ((n = 1; n <= icons; n++)); do
        printf 'C:\\windows\\notepad.exe,Lane %d,\r\n' "$n"
    done >"$batch"
    : >"$work/iconlane.txt"
    : >"$work/floor.txt"
    : >"$work/windows.txt"
    # One warm-up start of each, then the programs take turns.
    measure /dev/null "Lane " "$icons" "$iconlane" "/BATCH:Z:${batch//\//\\}"
    measure /dev/null "Floor " "$icons" "$floor" "$icons"
    for ((run = 1; run <= runs; run++)); do
        measure "$work/iconlane.txt" "Lane " "$icons" "$iconlane" "/BATCH:Z:${batch//\//\\}"
        measure "$work/floor.txt" "Floor " "$icons" "$floor" "$icons"
        measure "$work/windows.txt" "Floor " "$icons" "$floor" "$icons windows"
    done
    lane_ms=$(median "$work/iconlane.txt" 1)
    floor_ms=$(median "$work/floor.txt" 1)
    windows_ms=$(median "$work/windows.txt" 1)
    lane_kb=$(($(median "$work/iconlane.txt" 2) / 1024))
    floor_kb=$(($(median "$work/floor.txt" 2) / 1024))
    echo "| $icons | $lane_ms | $floor_ms | $(ratio "$lane_ms" "$floor_ms") | $windows_ms | $lane_kb | $floor_kb | $(ratio "$lane_kb" "$floor_kb") |"
done
echo
echo "iconlane.exe: $(($(stat -c %s "$iconlane") / 1024)) KB ($(stat -c %s "$iconlane") bytes)"

# Natively, optimised and without sanitizers: the portable core reading its two files.
native=${ICONLANE_BENCH_NATIVE_BUILD:-$root/build/bench-native}
cmake -S "$root" -B "$native" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$native" -j2 --target iconlane_bench_parse >/dev/null
echo
"$native/tests/bench/iconlane_bench_parse" --benchmark_repetitions="$runs" \
    --benchmark_report_aggregates_only=true 2>/dev/null | grep -E '^(Benchmark|-|Parse)'
