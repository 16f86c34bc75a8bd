#!/usr/bin/env bash
# Builds the x86 and the x64 Kelvora.exe twice from scratch, each time from a
# copy of the sources in a folder of its own (different paths, different time
# zone), and compares the results byte for byte. Exits 1 when any pair differs
# or when a link reports a second manifest (".rsrc merge failure": ld then
# still exits 0).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
work=$(mktemp -d "${TMPDIR:-/tmp}/kelvora-reproducible.XXXXXX")
trap 'rm -rf "$work"' EXIT

build_round() {
    local round=$1 zone=$2
    local src="$work/$round/sources-of-the-$round-build"
    mkdir -p "$src"
    tar -C "$root" --exclude=./build --exclude=./.git -cf - . | tar -C "$src" -xf -
    local arch toolchain
    for arch in x86 x64; do
        toolchain=$([[ $arch == x86 ]] && echo i686 || echo x86_64)
        TZ=$zone cmake -S "$src" -B "$work/$round/$arch" -DCMAKE_BUILD_TYPE=Release \
            -DCMAKE_TOOLCHAIN_FILE="$src/cmake/mingw-$toolchain.cmake" >"$work/$round-$arch.log" 2>&1 \
            || { cat "$work/$round-$arch.log"; exit 1; }
        TZ=$zone cmake --build "$work/$round/$arch" --target Kelvora -j "$(nproc)" >>"$work/$round-$arch.log" 2>&1 \
            || { cat "$work/$round-$arch.log"; exit 1; }
        if grep -i "merge failure" "$work/$round-$arch.log"; then
            echo "check-reproducible: the $round $arch link merged more than one manifest"
            exit 1
        fi
    done
}

build_round first UTC
build_round second Pacific/Kiritimati

status=0
printf '%-4s %-64s  %-64s  %s\n' exe "first build (sha256)" "second build (sha256)" same
for arch in x86 x64; do
    first=$(sha256sum "$work/first/$arch/Kelvora.exe" | cut -d' ' -f1)
    second=$(sha256sum "$work/second/$arch/Kelvora.exe" | cut -d' ' -f1)
    same=yes
    if [[ $first != "$second" ]]; then
        same=NO
        status=1
    fi
    printf '%-4s %-64s  %-64s  %s\n' "$arch" "$first" "$second" "$same"
done
if ((status)); then
    echo "check-reproducible: the two builds differ (cmp of the first pair that differs):"
    for arch in x86 x64; do
        cmp -l "$work/first/$arch/Kelvora.exe" "$work/second/$arch/Kelvora.exe" | head -5 || true
    done
fi
exit "$status"
