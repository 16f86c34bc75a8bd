#!/usr/bin/env bash
# Installs what building, running and testing Kelvora need, from Debian's
# packages. Does nothing when everything is already there.
set -euo pipefail

packages=(
    cmake g++ make
    g++-mingw-w64-i686-win32 g++-mingw-w64-x86-64-win32
    binutils-mingw-w64-i686 binutils-mingw-w64-x86-64
    googletest libgtest-dev
    clang libclang-rt-14-dev
    wine64 xvfb xdotool imagemagick x11-utils
    python3 python3-pefile
)

missing=()
for package in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' \
        || missing+=("$package")
done
if ((${#missing[@]})); then
    echo "setup: installing ${missing[*]}"
    sudo_cmd=()
    [[ $(id -u) -eq 0 ]] || sudo_cmd=(sudo)
    "${sudo_cmd[@]}" apt-get update -qq
    # With recommended packages: Wine needs its fonts and X libraries
    # (fonts-wine, libxrender1, ...) to draw the dialog.
    "${sudo_cmd[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq \
        "${missing[@]}" >/dev/null
fi
