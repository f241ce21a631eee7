#!/usr/bin/env bash
# Builds iconlane.exe and runs it under Wine with the example batch file: four tray icons in the
# Wine desktop's task bar (Notepad's own icon, icon number 3 of the Registry Editor, the guide
# with Iconlane's own icon file, a web address).
#   scripts/run-demo.sh          start it (on $DISPLAY if set, else in a private Xvfb)
#   scripts/run-demo.sh --stop   end the demo's Wine session
set -euo pipefail
cd "$(dirname "$0")/.."
# shellcheck source=scripts/wine-env.sh
source scripts/wine-env.sh

if [[ ${1:-} == --stop ]]; then
    iconlane_wine_session_stop
    exit 0
fi

scripts/setup.sh
cmake --preset win64 >/dev/null
cmake --build --preset win64 --target iconlane -j"$(nproc)"

had_display=${DISPLAY:-}
iconlane_wine_ensure
demo=$WINEPREFIX/drive_c/IconlaneDemo
mkdir -p "$demo"
cp build/win64/iconlane.exe build/win64/Iconlane.rtf resources/iconlane.ico examples/demo.txt \
    examples/Iconlane.ini "$demo/"
# Started in the demo folder, where the batch file's relative names are found.
(cd "$demo" && iconlane_wine64 'C:\IconlaneDemo\iconlane.exe' '/BATCH:demo.txt' \
    </dev/null >"$ICONLANE_WINE_DIR/logs/demo.log" 2>&1 &)

sleep 3
mkdir -p build/demo
import -window root build/demo/desktop.png
convert build/demo/desktop.png -crop 200x20+824+748 -scale 400% build/demo/tray.png

cat <<EOT

Iconlane is running under Wine on display $DISPLAY, with the icons of examples/demo.txt in the
tray at the bottom right of the Wine desktop. Hover an icon for its tooltip, double-click it to
open its target, right-click it for the menu ("Exit Iconlane", then Yes, ends Iconlane).
EOT
if [[ -z $had_display ]]; then
    cat <<EOT
No display was set, so it runs in a private Xvfb. Screenshots: build/demo/desktop.png (the whole
desktop) and build/demo/tray.png (the tray, enlarged). To watch it live, point a VNC server at it,
for example: x11vnc -display $DISPLAY
EOT
fi
echo "To end the demo: scripts/run-demo.sh --stop"
