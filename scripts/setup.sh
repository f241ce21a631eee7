#!/usr/bin/env bash
# Installs what building and testing Iconlane needs on Debian 12, if anything is missing.
set -euo pipefail

packages=(
    cmake g++ libgtest-dev libbenchmark-dev
    clang libclang-rt-14-dev
    g++-mingw-w64-x86-64 g++-mingw-w64-i686 nsis
    # The package manifests' test: their schemas, read by Debian's own Python.
    python3-jsonschema python3-yaml
    wine wine64 xvfb xdotool imagemagick x11-utils
    # Recommended by wine, so skipped here: without them the title-bar buttons read "0 1 r".
    fonts-wine
)

missing=()
for package in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' ||
        missing+=("$package")
done
[[ ${#missing[@]} -eq 0 ]] && exit 0

echo "setup: installing ${missing[*]}" >&2
sudo=()
[[ $(id -u) -ne 0 ]] && sudo=(sudo)
"${sudo[@]}" apt-get update -q
"${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends \
    "${missing[@]}"
