#!/usr/bin/env bash
# Benchmarks (not part of the tests; nothing passes or fails on time):
# Kelvora.exe /d against the floor program and reg.exe, the dialog with 3,
# 1,000 and 10,000 providers, instructions on the host stand-in, and the size
# of both exes flag by flag. Prints the tables and writes bench/RESULTS.md.
#   scripts/bench.sh [ROUNDS [DIALOG_ROUNDS]]     (default 15 and 9)
# Builds into build/bench/; runs Wine in a private prefix with its own
# wineserver and its own Xvfb display, all removed on exit. Takes about 10
# minutes.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
rounds=${1:-15}
dialog_rounds=${2:-9}
wine=/usr/lib/wine/wine64
wineserver=/usr/lib/wine/wineserver

"$root/scripts/setup.sh"
# The host measurement needs valgrind; only the benchmark does.
if ! dpkg-query -W -f='${Status}' valgrind 2>/dev/null | grep -q 'install ok installed'; then
    sudo_cmd=()
    [[ $(id -u) -eq 0 ]] || sudo_cmd=(sudo)
    "${sudo_cmd[@]}" apt-get update -qq
    DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends \
        valgrind >/dev/null
fi

work=$(mktemp -d /tmp/kelvora-bench.XXXXXX)
export WINEPREFIX="$work/prefix" WINEDEBUG=-all
xvfb_pid=
host_pid=
cleanup() {
    [[ -n $host_pid ]] && kill "$host_pid" 2>/dev/null && wait "$host_pid" 2>/dev/null
    [[ -d $WINEPREFIX ]] && "$wineserver" -k 2>/dev/null
    [[ -n $xvfb_pid ]] && kill "$xvfb_pid" 2>/dev/null && wait "$xvfb_pid" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

# --- Builds ---
out=build/bench
build() {
    local dir=$1; shift
    cmake --no-warn-unused-cli -S . -B "$out/$dir" -DCMAKE_BUILD_TYPE=Release "$@" >/dev/null
    cmake --build "$out/$dir" -j "$jobs" "${targets[@]}" >/dev/null
}
echo "bench: building" >&2
jobs=$(nproc)
targets=()
build x64 -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-x86_64.cmake
cmake -S bench/host -B "$out/host" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$out/host" -j "$jobs" >/dev/null

# --- Host: instructions, in the background while the size variants build ---
(
    valgrind_pid=
    trap '[[ -n $valgrind_pid ]] && kill "$valgrind_pid" 2>/dev/null; exit 1' TERM
    # "all" counts inside LoadProviders and the dialog procedure (whose
    # WM_INITDIALOG is FillProviderList, inlined); "program" also switches
    # the count off inside every call into the stand-in.
    standin=()
    for call in RegOpenKeyExA RegQueryValueExA RegQueryInfoKeyA RegEnumValueA RegCloseKey \
                GetDlgItem SendMessageA EndDialog OutputDebugStringA; do
        standin+=("--toggle-collect=$call(*")
    done
    for n in 10 1000 10000; do
        for part in all program; do
            extra=()
            [[ $part == program ]] && extra=("${standin[@]}")
            valgrind --tool=callgrind --instr-atstart=no \
                --callgrind-out-file="$work/callgrind.$n.$part.out" \
                --toggle-collect='LoadProviders()' --toggle-collect='ProviderDialogProc(*' \
                "${extra[@]}" "$out/host/ListingCost" "$n" \
                >"$work/listing.$n.txt" 2>"$work/callgrind.$n.$part.log" &
            valgrind_pid=$!
            wait "$valgrind_pid"
        done
    done
) &
host_pid=$!
echo "bench: callgrind over 10, 1,000 and 10,000 providers; size variants meanwhile" >&2

# Size variants, stripped, each adding one flag to the one before; "gconly"
# collects sections without per-function sections, "unstripped" is the
# shipped build before -s (its link map names the largest contributors).
jobs=1
targets=(--target Kelvora)
for arch in x86 x64; do
    toolchain=cmake/mingw-i686.cmake
    [[ $arch == x64 ]] && toolchain=cmake/mingw-x86_64.cmake
    sections="-Os;-ffunction-sections;-fdata-sections"
    for variant in "o2|-O2|-s" "os|-Os|-s" "gconly|-Os|-Wl,--gc-sections;-s" \
                   "sections|$sections|-s" "shipped|$sections|-Wl,--gc-sections;-s" \
                   "unstripped|$sections|-Wl,--gc-sections"; do
        IFS='|' read -r name compile link <<<"$variant"
        build "sizes/$arch-$name" -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
            -DKELVORA_SIZE_COMPILE_FLAGS="$compile" -DKELVORA_SIZE_LINK_FLAGS="$link"
    done
done
if ! wait "$host_pid"; then
    host_pid=
    echo "bench: callgrind failed:" >&2
    cat "$work"/callgrind.*.log "$work"/listing.*.txt >&2
    exit 1
fi
host_pid=

# --- Wine: private prefix, own display, one warm server ---
# Xvfb picks a free display and writes its number once it is listening.
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" >/dev/null 2>&1 &
xvfb_pid=$!
for _ in $(seq 100); do
    [[ -s $work/display ]] && break
    sleep 0.1
done
[[ -s $work/display ]] || { echo "bench: Xvfb did not start" >&2; exit 1; }
export DISPLAY=":$(head -n1 "$work/display")"
echo "bench: Wine prefix $WINEPREFIX, display $DISPLAY" >&2
# Every Wine call gets this DISPLAY: the desktop process keeps the
# environment of whichever call started it.
mkdir -p "$WINEPREFIX"
"$wineserver" -p
"$wine" wineboot -i >/dev/null 2>&1

/usr/bin/python3 "$root/bench/bench.py" --wine "$wine" --prefix "$WINEPREFIX" --display "$DISPLAY" \
    --x64 "$out/x64" --sizes "$out/sizes" --workdir "$work" \
    --rounds "$rounds" --dialog-rounds "$dialog_rounds" --results "$root/bench/RESULTS.md" \
    --command "scripts/bench.sh $rounds $dialog_rounds"
