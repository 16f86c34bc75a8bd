#!/usr/bin/env bash
# Sets up, builds, then runs the 64-bit Kelvora.exe under Wine with the
# given arguments as its command-line tail (joined with blanks, passed
# byte for byte), in a demo prefix kept in build/demo-prefix with a few
# example providers. The dialog opens on $DISPLAY when there is one that
# answers; otherwise on a private Xvfb, where a screenshot is saved to
# build/demo/dialog.png and the dialog is closed with Esc. Prints the exit
# code and the provider now active.
#   scripts/run.sh                            open the dialog
#   scripts/run.sh /d                         clear the active provider
#   scripts/run.sh Team Foundation Server     switch to that provider, then the dialog
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh"
"$root/scripts/build.sh"
# demo.py stops the wineserver and any Xvfb it started on every exit path.
exec /usr/bin/python3 "$root/tests/e2e/demo.py" \
    --exe-dir "$root/build/x64" --prefix "$root/build/demo-prefix" --work "$root/build/demo" \
    -- "$@"
