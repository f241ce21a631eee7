#!/usr/bin/env bash
# Starts or stops the Wine session that the Windows-side tests share: a display (Xvfb when $DISPLAY
# is unset), a fresh prefix copied from the template under build/wine/, a persistent wineserver and
# Wine's virtual desktop with its tray. ctest calls `start` once before and `stop` once after the
# tests that need it.
set -u
# shellcheck source=scripts/wine-env.sh
source "$(dirname "${BASH_SOURCE[0]}")/wine-env.sh"
case "${1:-}" in
    start) iconlane_wine_session_start ;;
    stop) iconlane_wine_session_stop ;;
    status)
        if iconlane_wine_session_alive; then
            cat "$ICONLANE_WINE_DIR/session.env"
        else
            echo "no Wine session running" >&2
            exit 1
        fi
        ;;
    *)
        echo "usage: $0 start|stop|status" >&2
        exit 2
        ;;
esac
