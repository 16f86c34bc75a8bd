#!/usr/bin/env bash
# Runs the fuzz target for SECONDS on a copy of the seed corpus, and fails
# when libFuzzer reports a crash, a leak, a time-out or any violated check.
#
#   run-fuzz.sh [--build DIR | --binary FILE] [--corpus DIR] SECONDS [libFuzzer options...]
#
# --build DIR    configure and build the target with clang in DIR (default
#                build/fuzz), then run it
# --binary FILE  run this already built target
# --corpus DIR   grow and keep the corpus in DIR (seeded from
#                tests/fuzz/corpus when empty) instead of a temporary copy
# Inputs that break a check are kept in DIR/artifacts (or beside FILE).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)

build="$root/build/fuzz"
binary=""
corpus=""
while [[ $# -gt 0 ]]; do
    case $1 in
        --build) build=$(realpath -m "$2"); shift 2 ;;
        --binary) binary=$(realpath "$2"); shift 2 ;;
        --corpus) corpus=$(realpath -m "$2"); shift 2 ;;
        *) break ;;
    esac
done
seconds=${1:?usage: run-fuzz.sh [--build DIR | --binary FILE] [--corpus DIR] SECONDS [options...]}
shift

if [[ -z $binary ]]; then
    clang_c=$(command -v clang-14 || command -v clang)
    clang_cxx=$(command -v clang++-14 || command -v clang++)
    cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DCMAKE_C_COMPILER="$clang_c" -DCMAKE_CXX_COMPILER="$clang_cxx" >/dev/null
    cmake --build "$build" --target kelvora_fuzz -j "$(nproc)" >/dev/null
    binary="$build/tests/fuzz/kelvora_fuzz"
fi
artifacts="$(dirname "$binary")/artifacts"
mkdir -p "$artifacts"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
if [[ -z $corpus ]]; then
    corpus="$work/corpus"
fi
mkdir -p "$corpus"
if [[ -z $(ls -A "$corpus") ]]; then
    cp "$here"/corpus/* "$corpus/"
fi

# File and line in sanitizer reports, where LLVM's symbolizer is installed.
if [[ -z ${ASAN_SYMBOLIZER_PATH:-} && -x /usr/lib/llvm-14/bin/llvm-symbolizer ]]; then
    export ASAN_SYMBOLIZER_PATH=/usr/lib/llvm-14/bin/llvm-symbolizer
fi

log="$work/fuzz.log"
touch "$work/started"
status=0
# The inputs that break a check land in the artifacts folder; every crash,
# leak or time-out also makes libFuzzer exit non-zero.
"$binary" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -max_len=8192 \
    -print_final_stats=1 -artifact_prefix="$artifacts/" "$@" "$corpus" >"$log" 2>&1 || status=$?

found=$(find "$artifacts" -newer "$work/started" -type f \( -name 'crash-*' -o -name 'leak-*' \
    -o -name 'timeout-*' -o -name 'oom-*' -o -name 'slow-unit-*' \) | sort)
grep -E '^#[0-9]+[[:space:]]+(INITED|DONE)' "$log" || true
grep -E '^stat::' "$log" || true
if [[ $status -ne 0 || -n $found ]]; then
    tail -n 60 "$log"
    echo "fuzz: FAILED (libFuzzer exit $status); inputs kept:"
    echo "${found:-  (none)}"
    echo "replay one with: KELVORA_FUZZ_TRACE=1 $binary INPUT"
    exit 1
fi
echo "fuzz: no finding in ${seconds}s"
