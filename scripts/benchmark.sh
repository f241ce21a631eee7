#!/usr/bin/env bash
# Measures Iconlane against a bare floor program under Wine and prints a table:
#   scripts/benchmark.sh [runs per figure, default 5] [parts, default "tray map calls menus soak parse"]
# For 1, 10 and 30 icons: the median time from process start to the last tray icon added, and the
# private bytes and working set once idle (1 s later), for iconlane.exe and for bench/floor.cpp
# (one hidden window, N icons with ids 1..N), with the ratios Iconlane/floor, and the floor's time
# when each icon has a hidden window of its own; then the size of iconlane.exe ("tray"); a start of
# 30 icons with a map of ids in which every id is taken against one with no map ("map"); the
# per-call timings of an entry's icon work (bench/call_timings.cpp, "calls"); the pop-up menu of a
# folder of 300 shortcuts against the same menu without pictures (bench/menu_timings.cpp,
# "menus"); the soak of a folder's menu whose 1,000 files are replaced by 1,000 others five times,
# opened after each (bench/menu_soak.cpp, "soak"); and native Google Benchmark figures for parsing
# a batch file and an options file (libbenchmark-dev, "parse"). Run it with nothing else busy.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
runs=${1:-5}
parts=" ${2:-tray map calls menus soak parse} "
build=${ICONLANE_BENCH_BUILD:-$root/build/bench}
export ICONLANE_WINE_DIR=${ICONLANE_WINE_DIR:-$root/build/wine-bench}

cmake --preset win64 -B "$build" >/dev/null
cmake --build "$build" -j2 --target iconlane iconlane_bench_floor iconlane_bench_startup \
    iconlane_bench_calls iconlane_bench_menus iconlane_bench_menu_soak >/dev/null
iconlane=$build/iconlane.exe
floor=$build/bench/iconlane_bench_floor.exe
probe=$build/bench/iconlane_bench_startup.exe
calls=$build/bench/iconlane_bench_calls.exe
menus=$build/bench/iconlane_bench_menus.exe
soak=$build/bench/iconlane_bench_menu_soak.exe

work=$(mktemp -d)
trap 'bash "$root/scripts/wine-session.sh" stop >/dev/null 2>&1 || true; rm -rf "$work"' EXIT

# One start of `program` in a fresh Wine session, with `map` (when given) as the map of ids in its
# data folder; appends "milliseconds working-set private-bytes" to the file `out`.
# Wine's task bar keeps a window for every icon ever deleted, and each start slows the next
# one, so every measurement begins with the same, empty tray.
measure() {
    local out=$1 icons=$2 program=$3 arguments=$4 map=${5:-}
    bash "$root/scripts/wine-session.sh" stop >/dev/null 2>&1
    bash "$root/scripts/wine-session.sh" start >/dev/null
    if [[ -n $map ]]; then
        local data
        data=$(echo "$ICONLANE_WINE_DIR"/prefix/drive_c/users/*/AppData/Roaming)/Iconlane
        mkdir -p "$data" && cp "$map" "$data/iconids.txt"
    fi
    rm -f "$work/one.txt"
    bash "$root/scripts/wine-run.sh" "$probe" "$work/one.txt" "$icons" "$program" "$arguments" \
        >/dev/null 2>&1 || true
    # A start that never showed its icons gives no figure.
    if [[ -s $work/one.txt ]]; then cat "$work/one.txt" >>"$out"; fi
}

median() {  # column $2 of file $1
    tr -d '\r' <"$1" | cut -d' ' -f"$2" | sort -g | awk '{v[NR]=$1} END {print v[int((NR+1)/2)]}'
}

fastest() { tr -d '\r' <"$1" | cut -d' ' -f1 | sort -g | awk 'NR == 1'; }

ratio() { awk -v a="$1" -v b="$2" 'BEGIN {printf "%.2f", a / b}'; }

kb() { echo $(($(median "$1" "$2") / 1024)); }

lane() {  # a batch file of $1 notepad entries
    for ((n = 1; n <= $1; n++)); do printf 'C:\\windows\\notepad.exe,Lane %d,\r\n' "$n"; done
}

if [[ $parts == *" tray "* ]]; then
    echo "| icons | start-up Iconlane (ms) | start-up floor (ms) | ratio | floor with a window per icon (ms) | idle private bytes Iconlane (KB) | floor (KB) | ratio | idle working set Iconlane (KB) | floor (KB) | ratio |"
    echo "|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|"
    for icons in 1 10 30; do
        batch=$work/lane$icons.txt
        lane "$icons" >"$batch"
        : >"$work/iconlane.txt"
        : >"$work/floor.txt"
        : >"$work/windows.txt"
        # One warm-up start of each, then the programs take turns.
        measure /dev/null "$icons" "$iconlane" "/BATCH:Z:${batch//\//\\}"
        measure /dev/null "$icons" "$floor" "$icons"
        for ((run = 1; run <= runs; run++)); do
            measure "$work/iconlane.txt" "$icons" "$iconlane" "/BATCH:Z:${batch//\//\\}"
            measure "$work/floor.txt" "$icons" "$floor" "$icons"
            measure "$work/windows.txt" "$icons" "$floor" "$icons windows"
        done
        lane_ms=$(median "$work/iconlane.txt" 1)
        floor_ms=$(median "$work/floor.txt" 1)
        windows_ms=$(median "$work/windows.txt" 1)
        lane_ws=$(kb "$work/iconlane.txt" 2) floor_ws=$(kb "$work/floor.txt" 2)
        lane_pb=$(kb "$work/iconlane.txt" 3) floor_pb=$(kb "$work/floor.txt" 3)
        echo "| $icons | $lane_ms | $floor_ms | $(ratio "$lane_ms" "$floor_ms") | $windows_ms | $lane_pb | $floor_pb | $(ratio "$lane_pb" "$floor_pb") | $lane_ws | $floor_ws | $(ratio "$lane_ws" "$floor_ws") |"
    done
    echo
    echo "iconlane.exe: $(($(stat -c %s "$iconlane") / 1024)) KB ($(stat -c %s "$iconlane") bytes)"
fi

# 30 icons, none of them in a map of ids where every id is taken (as an earlier version could
# leave it), against the same start with no map: by turns, each in a fresh session.
if [[ $parts == *" map "* ]]; then
    lane 30 >"$work/lane30.txt"
    seq 1 65535 | awk '{printf "%d\tline:c:\\old\\entry%d.exe\r\n", $1, $1}' >"$work/full.txt"
    : >"$work/nomap.txt"
    : >"$work/fullmap.txt"
    lane_args="/BATCH:Z:${work//\//\\}\\lane30.txt"
    measure /dev/null 30 "$iconlane" "$lane_args"
    for ((run = 1; run <= runs; run++)); do
        measure "$work/nomap.txt" 30 "$iconlane" "$lane_args"
        measure "$work/fullmap.txt" 30 "$iconlane" "$lane_args" "$work/full.txt"
    done
    echo
    none_ms=$(median "$work/nomap.txt" 1) full_ms=$(median "$work/fullmap.txt" 1)
    echo "| map of ids | start-up, 30 icons (ms) | fastest (ms) | starts measured |"
    echo "|---|---:|---:|---:|"
    echo "| none | $none_ms | $(fastest "$work/nomap.txt") | $(wc -l <"$work/nomap.txt") |"
    echo "| 65,535 records, every id taken ($(($(stat -c %s "$work/full.txt") / 1024)) KB) |" \
        "$full_ms | $(fastest "$work/fullmap.txt") | $(wc -l <"$work/fullmap.txt") |"
    echo
    echo "ratio full map / none: $(ratio "$full_ms" "$none_ms")"
fi

# Runs one bench program in a fresh session; it writes <name>.txt, five columns a row, printed as a
# table under `header` (the first column shown as the awk expression `first`), or one line saying
# that `what` did not run.
#   fresh_table name header first what program [arguments...]
fresh_table() {
    local name=$1 header=$2 first=$3 what=$4
    shift 4
    bash "$root/scripts/wine-session.sh" stop >/dev/null 2>&1
    bash "$root/scripts/wine-session.sh" start >/dev/null || true
    echo
    if bash "$root/scripts/wine-run.sh" "$1" "Z:${work//\//\\}\\$name.txt" "${@:2}" >/dev/null 2>&1 &&
        [[ -s "$work/$name.txt" ]]; then
        echo "$header"
        echo "|---|---:|---:|---:|---:|"
        tr -d '\r' <"$work/$name.txt" |
            awk -F'|' "{printf \"| %s | %s | %s | %s | %s |\\n\", $first, \$2, \$3, \$4, \$5}"
    else
        echo "(the $what did not run)"
    fi
}

# Each call of an entry's icon work, 30 times: where the time goes.
if [[ $parts == *" calls "* ]]; then
    mkdir -p "$work/cache"
    fresh_table calls "| call | calls | first (ms) | median (ms) | total (ms) |" '$1' \
        "per-call timings" "$calls" 'C:\windows\notepad.exe' "Z:${work//\//\\}\\cache"
fi

# A menu of 300 shortcuts with their pictures, opened first with none made yet and then again,
# against the same 300 names without pictures, in turns.
if [[ $parts == *" menus "* ]]; then
    fresh_table menus "| menu of 300 shortcuts | runs | median (ms) | fastest (ms) | slowest (ms) |" \
        '$1' "menu timings" "$menus" "$((runs * 3))" 300
fi

# A folder's menu opened after each of five replacements of its 1,000 files: the private bytes,
# kernel handles and GDI objects after each opening.
if [[ $parts == *" soak "* ]]; then
    fresh_table soak \
        "| menu of 1,000 files opened | private bytes (KB) | handles | GDI objects | every picture in (ms) |" \
        '($1 == 0 ? "first" : "after replacement " $1)' "menu soak" "$soak" 1000 5
fi

# Natively, optimised and without sanitizers: the portable core reading its two files.
[[ $parts == *" parse "* ]] || exit 0
native=${ICONLANE_BENCH_NATIVE_BUILD:-$root/build/bench-native}
cmake -S "$root" -B "$native" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$native" -j2 --target iconlane_bench_parse >/dev/null
echo
"$native/bench/iconlane_bench_parse" --benchmark_repetitions="$runs" \
    --benchmark_report_aggregates_only=true 2>/dev/null | grep -E '^(Benchmark|-|Parse)'
