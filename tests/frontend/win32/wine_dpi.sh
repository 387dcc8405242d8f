#!/usr/bin/env bash
# Runs a Windows program under Wine at another screen density, on the tests' display: in a Wine
# prefix of its own whose LogPixels value (HKCU\Control Panel\Desktop, what the Display
# settings write) is DPI, so that the build's prefix stays at 96 dpi for the other tests.
#   wine_dpi.sh DPI WINE_DIR PROGRAM [ARG...]
# The prefix, WINE_DIR/dpi-DPI/prefix, is made once from the build's: its system DLLs are hard
# links to the build prefix's (Wine only reads them), the registry and the rest are copies.
# The program sees the density in BRINDLECOT_TEST_DPI.
set -euo pipefail
dpi=$1
winedir=$2
shift 2
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" WINEARCH=win64
export BRINDLECOT_TEST_DPI=$dpi
DISPLAY=$(cat "$winedir/display")
export DISPLAY
base="$winedir/prefix"
home="$winedir/dpi-$dpi"
export WINEPREFIX="$home/prefix"

make_prefix() {
    [ -f "$WINEPREFIX/system.reg" ] && return 0
    [ -f "$base/system.reg" ] || { echo "FAIL: no Wine prefix in $base to start from" >&2; return 1; }
    local new="$home/prefix.new"
    rm -rf "$new"
    cp -al "$base" "$new"
    find "$new" -type f -not -path '*/windows/system32/*' -not -path '*/windows/syswow64/*' \
        -exec sh -c 'for f; do cp -p "$f" "$f.copy" && mv -f "$f.copy" "$f"; done' sh {} +
    WINEPREFIX="$new" wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD \
        /d "$dpi" /f >/dev/null
    WINEPREFIX="$new" wineserver -w
    mv "$new" "$WINEPREFIX"
}

mkdir -p "$home"
# One creation at a time, however many runs start at once.
exec 9>"$home/prefix.lock"
flock 9
make_prefix
flock -u 9
# This prefix's Wine server ends with the run; the build prefix's is left as it was.
trap 'wineserver -k 2>/dev/null || true' EXIT
wine "$@"
