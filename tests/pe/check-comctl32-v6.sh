#!/usr/bin/env bash
# Starts the 64-bit Kelvora.exe under Wine with no display and checks which
# comctl32 it loads. Without a display the dialog cannot be made, so the run
# ends quickly with exit code 2; by then InitCommonControls has loaded the
# common controls that the manifest binds: version 6 from winsxs, not the
# version 5 in system32. Reaching that point also shows that the
# requireAdministrator manifest starts the program with no prompt.
# Usage: check-comctl32-v6.sh EXE_DIR (empty: skipped, exit 77)
set -euo pipefail
folder=${1-}
if [[ -z $folder ]]; then
    echo "skipped: no x64 build folder given (KELVORA_X64_DIR)"
    exit 77
fi
exe="$folder/Kelvora.exe"
[[ -f $exe ]] || { echo "FAIL $exe does not exist"; exit 1; }

wine=/usr/lib/wine/wine64
export WINEPREFIX
WINEPREFIX=$(mktemp -d "${TMPDIR:-/tmp}/kelvora-comctl32.XXXXXX")
log="$WINEPREFIX.log"
cleanup() {
    /usr/lib/wine/wineserver -k 2>/dev/null || true
    /usr/lib/wine/wineserver -w 2>/dev/null || true
    rm -rf "$WINEPREFIX" "$log"
}
trap cleanup EXIT
unset DISPLAY WAYLAND_DISPLAY
# No Mono or Gecko installers in a throwaway prefix.
export WINEDLLOVERRIDES="mscoree,mshtml="

WINEDEBUG=-all "$wine" wineboot -i >/dev/null 2>&1
# LoadProviders needs the key (an empty catalogue is fine) to reach the dialog.
WINEDEBUG=-all "$wine" reg add 'HKLM\SOFTWARE\SourceCodeControlProvider\InstalledSCCProviders' /f >/dev/null

status=0
WINEDEBUG=-all,+loaddll "$wine" "$exe" >"$log" 2>&1 || status=$?
loaded=$(grep -i 'Loaded .*comctl32\.dll' "$log" || true)
echo "comctl32 loaded:"
echo "${loaded:-  (none)}"

failures=0
if [[ $status -ne 2 ]]; then
    echo "FAIL exit code (dialog failure path with no display): expected 2, got $status"
    failures=1
fi
if ! grep -Eiq 'winsxs\\\\[a-z0-9_]*microsoft\.windows\.common-controls_6595b64144ccf1df_6\.[^\\]*\\\\comctl32\.dll' <<<"$loaded"; then
    echo "FAIL comctl32: expected version 6 from winsxs, got ${loaded:-none loaded}"
    failures=1
fi
if grep -Eiq 'system32\\\\comctl32\.dll' <<<"$loaded"; then
    echo "FAIL comctl32: expected no version 5 from system32 beside version 6, got it loaded"
    failures=1
fi
((failures == 0)) && echo "comctl32 v6 from winsxs, exit code 2: as expected"
exit "$failures"
