#!/usr/bin/env bash
# Builds all three presets and runs every test: the portable core natively (ASan + UBSan), then
# the Win32 layer and the real iconlane.exe end to end under Wine (a private Xvfb when no display),
# and last the fuzz targets of the text parsers for half a minute each.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh

for preset in native win64 win32; do
    cmake --preset "$preset" >/dev/null
    cmake --build --preset "$preset" -j"$(nproc)"
done

status=0
ctest --preset native -j"$(nproc)" || status=1
ctest --preset win64 || status=1
scripts/fuzz.sh 30 || status=1  # each parser fuzzed for half a minute (ASan + UBSan)
exit $status
