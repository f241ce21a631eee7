#!/usr/bin/env bash
# Builds both packages and checks them for real: the ZIP holds the five files, and under Wine the
# installer installs them silently with a Start-menu entry, and its uninstaller removes them again.
#   tests/package/package_test.sh <win64 build dir>
set -u
build=$(cd "${1:?usage: $0 build-dir}" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=scripts/wine-env.sh
source "$here/../../scripts/wine-env.sh"

failed=0 passed=0
check() {  # check "what" command...
    local what=$1
    shift
    if "$@"; then
        passed=$((passed + 1))
    else
        failed=$((failed + 1))
        echo "FAILED: $what" >&2
    fi
}
wait_until() {  # wait_until seconds command...: polls, for the uninstaller finishes on its own
    local deadline=$((SECONDS + $1))
    shift
    until "$@"; do
        ((SECONDS < deadline)) || return 1
        sleep 0.2
    done
}
all_exist() { local f; for f in "$@"; do [[ -e $f ]] || return 1; done; }
none_exist() { local f; for f in "$@"; do [[ ! -e $f ]] || return 1; done; }

files=(iconlane.exe Iconlane.rtf Iconlane.ini demo.txt iconlane.ico LICENSE.txt)
packages=$build/packages
rm -rf "$packages"
cpack --config "$build/CPackConfig.cmake" -B "$packages" >"$build/cpack.log" 2>&1 ||
    { cat "$build/cpack.log" >&2; exit 1; }
installer=$(ls "$packages"/Iconlane-*.exe)
zip=$(ls "$packages"/Iconlane-*.zip)

listing=$(cd "$packages" && cmake -E tar tf "$zip")
for file in "${files[@]}"; do
    check "the zip holds $file" grep -qx "$file" <<<"$listing"
done

iconlane_wine_ensure || exit 1
target="$WINEPREFIX/drive_c/Program Files/Iconlane"
link="$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/Iconlane/Iconlane guide.lnk"
cp "$installer" "$WINEPREFIX/drive_c/iconlane-setup.exe"
iconlane_wine64 'C:\iconlane-setup.exe' /S </dev/null >/dev/null 2>&1
check "the installer exits cleanly" test $? -eq 0
installed=("${files[@]/#/$target/}")
check "the installer puts every file in Program Files" all_exist "${installed[@]}" "$target/Uninstall.exe"
check "the installer adds the guide to the Start menu" test -e "$link"
check "the installed program is the one built" cmp -s "$build/iconlane.exe" "$target/iconlane.exe"

iconlane_wine64 'C:\Program Files\Iconlane\Uninstall.exe' /S </dev/null >/dev/null 2>&1
check "the uninstaller removes every file" wait_until 20 none_exist "${installed[@]}" "$target/Uninstall.exe"
check "the uninstaller removes the Start-menu entry" wait_until 5 none_exist "$link"
rm -f "$WINEPREFIX/drive_c/iconlane-setup.exe"

echo "package: $passed passed, $failed failed"
((failed == 0))
