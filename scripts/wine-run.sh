#!/usr/bin/env bash
# Runs a Windows program in the shared Wine test session, starting the session first if none runs.
#   scripts/wine-run.sh build/win64/tests/e2e/iconlane_e2e_tests.exe --gtest_filter=BatchFile.*
# The program's exit code is passed on. A session started here stays up for the next run;
# `scripts/wine-session.sh stop` ends it.
set -u
[[ $# -ge 1 ]] || { echo "usage: $0 program.exe [arguments...]" >&2; exit 2; }
# shellcheck source=scripts/wine-env.sh
source "$(dirname "${BASH_SOURCE[0]}")/wine-env.sh"
iconlane_wine_ensure || exit 1
exec "$ICONLANE_WINE_LOADER" "$@"
