#!/usr/bin/env bash
# Builds the libFuzzer targets of fuzz/ (clang, ASan + UBSan) and runs each for the given number
# of seconds (default 30) on a copy of its seed corpus, which stays as committed. Fails on any
# crash, leak, sanitizer report, broken invariant, time-out or memory blow-up; the input that
# caused it is kept in build/fuzz/findings/.
#
#     scripts/fuzz.sh [seconds]
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-30}
[[ $seconds =~ ^[1-9][0-9]*$ ]] || { echo "usage: $0 [seconds]" >&2; exit 2; }

scripts/setup.sh
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j"$(nproc)"

findings=build/fuzz/findings
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$findings"

export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:symbolize=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1

status=0
for corpus in fuzz/corpus/*/; do
    name=$(basename "$corpus")
    cp -r "$corpus" "$work/$name"
    echo "fuzz: $name for ${seconds}s" >&2
    if build/fuzz/fuzz/"${name}_fuzzer" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
        -print_final_stats=1 -artifact_prefix="$findings/$name-" "$work/$name" \
        >"$findings/$name.log" 2>&1; then
        grep -E '^(Done|stat::number_of_executed_units)' "$findings/$name.log" >&2 || true
    else
        status=1
        echo "fuzz: $name FAILED; the log is $findings/$name.log:" >&2
        grep -E -A40 'ERROR|invariant broken|runtime error|Test unit written' \
            "$findings/$name.log" | head -80 >&2 || tail -40 "$findings/$name.log" >&2
    fi
done
exit $status
