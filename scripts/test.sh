#!/usr/bin/env bash
# Everything from a fresh machine: install, build, then every test in one
# CTest run (unit tests plain and under sanitizers, checks of the built
# files, end-to-end runs under Wine).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh"
"$root/scripts/build.sh"
ctest --test-dir "$root/build/host" --output-on-failure "$@"
