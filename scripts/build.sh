#!/usr/bin/env bash
# Builds both Windows products and the host test tree:
#   build/x86/Kelvora.exe   32-bit x86, the 32-bit registry view
#   build/x64/Kelvora.exe   64-bit x86-64, the 64-bit registry view (runs under wine64)
#   build/host/             unit tests and the checks of the built files
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

configure_and_build() {
    local dir=$1; shift
    cmake -S . -B "build/$dir" -DCMAKE_BUILD_TYPE=Release "$@" >/dev/null
    cmake --build "build/$dir" -j "$(nproc)" >/dev/null
}

configure_and_build x86 -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake
configure_and_build x64 -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-x86_64.cmake
configure_and_build host \
    -DKELVORA_X86_DIR="$root/build/x86" \
    -DKELVORA_X64_DIR="$root/build/x64"
echo "build: build/x86/Kelvora.exe build/x64/Kelvora.exe build/host"
