#!/usr/bin/env bash
# Builds both packages and tries them: the ZIP holds the five files; under Wine the installer puts
# them in Program Files with a Start-menu entry, silently, and its uninstaller removes them again.
#   tests/package/package_test.sh <win64 build dir>
set -u
build=$(cd "${1:?usage: $0 build-dir}" && pwd)
# shellcheck source=scripts/wine-env.sh
source "$(dirname "$0")/../../scripts/wine-env.sh"
failed=0
check() { "${@:2}" || { failed=1; echo "FAILED: $1" >&2; }; }
gone() { for _ in {1..100}; do [[ -e $1 ]] || return 0; sleep 0.2; done; return 1; }  # uninstaller ends on its own

files=(iconlane.exe Iconlane.rtf Iconlane.ini demo.txt iconlane.ico LICENSE.txt)
rm -rf "$build/packages"
cpack --config "$build/CPackConfig.cmake" -B "$build/packages" >"$build/cpack.log" 2>&1 ||
    { cat "$build/cpack.log" >&2; exit 1; }
listing=$(cmake -E tar tf "$build"/packages/Iconlane-*.zip)
for file in "${files[@]}"; do check "the zip holds $file" grep -qx "$file" <<<"$listing"; done

iconlane_wine_ensure || exit 1
target="$WINEPREFIX/drive_c/Program Files/Iconlane"
link="$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/Iconlane/Iconlane guide.lnk"
cp "$build"/packages/Iconlane-*.exe "$WINEPREFIX/drive_c/iconlane-setup.exe"
check "the installer exits cleanly" iconlane_wine64 'C:\iconlane-setup.exe' /S </dev/null >/dev/null 2>&1
for file in "${files[@]}" Uninstall.exe; do check "$file is installed" test -e "$target/$file"; done
check "the guide is in the Start menu" test -e "$link"
check "the installed program is the one built" cmp -s "$build/iconlane.exe" "$target/iconlane.exe"
iconlane_wine64 'C:\Program Files\Iconlane\Uninstall.exe' /S </dev/null >/dev/null 2>&1
for file in "${files[@]}" Uninstall.exe; do check "$file is uninstalled" gone "$target/$file"; done
check "the Start-menu entry is removed" gone "$link"
rm -f "$WINEPREFIX/drive_c/iconlane-setup.exe"
exit $failed
