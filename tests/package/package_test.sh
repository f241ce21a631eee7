#!/usr/bin/env bash
# Builds both packages and tries them: the ZIP holds the six files; the package manager's manifests
# fit the published schemas and the installer; the installer asks for no administrator; under Wine
# the Install rows of the end-to-end driver run it.
#   tests/package/package_test.sh <win64 build dir> <end-to-end driver> [schema folder]
set -u
build=$(cd "${1:?usage: $0 build-dir driver [schemas]}" && pwd)
here=$(dirname "$0")
schemas=${3:-$here/../../../shared/winget-schemas}
# shellcheck source=scripts/wine-env.sh
source "$here/../../scripts/wine-env.sh"
failed=0
check() { "${@:2}" || { failed=1; echo "FAILED: $1" >&2; }; }

rm -rf "$build/packages"
cpack --config "$build/CPackConfig.cmake" -B "$build/packages" >"$build/cpack.log" 2>&1 ||
    { cat "$build/cpack.log" >&2; exit 1; }
listing=$(cmake -E tar tf "$build"/packages/Iconlane-*.zip)
for file in iconlane.exe Iconlane.rtf Iconlane.ini demo.txt iconlane.ico LICENSE.txt; do
    check "the zip holds $file" grep -qx "$file" <<<"$listing"
done
product=$(/usr/bin/python3 "$here/check_manifests.py" "$build/packages" "$schemas") || failed=1
check "the installer asks for no administrator" grep -qa 'level="asInvoker"' "$build"/packages/*.exe

iconlane_wine_ensure || exit 1
cp "$build"/packages/Iconlane-*.exe "$WINEPREFIX/drive_c/iconlane-setup.exe"
ICONLANE_PRODUCT_CODE=$product iconlane_wine64 "$2" --gtest_filter='Install/*' </dev/null ||
    failed=1
rm -f "$WINEPREFIX/drive_c/iconlane-setup.exe"
exit $failed
