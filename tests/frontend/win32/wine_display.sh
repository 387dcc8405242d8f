#!/usr/bin/env bash
# Starts or stops the X display that the Windows tests run on: Xvfb with openbox (without a
# window manager every Wine box and window teardown waits 2 s for a withdrawn state).
#   wine_display.sh start WINE_DIR [WINE_RUN]   writes the display name to WINE_DIR/display
#   wine_display.sh stop WINE_DIR
# With WINE_RUN (the build's Wine launcher) the Wine server is started persistent and warmed
# up: a cold start costs several seconds, a warm one a fraction of a second per process.
set -euo pipefail
# shellcheck source=tests/support/waits.sh
source "$(dirname "${BASH_SOURCE[0]}")/../../support/waits.sh"
action=$1
dir=$2
mkdir -p "$dir"

stop() {
    if [ -f "$dir/display.pids" ]; then
        # Only the processes this script started, by their ids.
        while read -r pid; do
            kill "$pid" 2>/dev/null || true
        done <"$dir/display.pids"
        rm -f "$dir/display.pids"
    fi
    rm -f "$dir/display"
}

if [ "$action" = stop ]; then
    WINEPREFIX="$dir/prefix" wineserver -k 2>/dev/null || true
    stop
    exit 0
fi

stop
fdfile=$(mktemp)
# -noreset: Xvfb would reset when its last client leaves, and openbox then fails to connect.
setsid Xvfb -displayfd 1 -noreset -screen 0 1280x800x24 -nolisten tcp >"$fdfile" 2>/dev/null &
xvfb=$!
echo "$xvfb" >"$dir/display.pids"
wait_for 50 test -s "$fdfile" || true
number=$(head -n1 "$fdfile" | tr -dc 0-9)
rm -f "$fdfile"
if [ -z "$number" ]; then
    echo "FAIL: Xvfb did not start" >&2
    stop
    exit 1
fi
export DISPLAY=":$number"
# openbox's own key bindings would take keys a Windows program answers itself (Alt+Space
# opens the system menu, Alt+F4 closes): the tests run it without them.
sed '/<keyboard>/,/<\/keyboard>/{/<keyboard>/!{/<\/keyboard>/!d}}' /etc/xdg/openbox/rc.xml \
    >"$dir/openbox-rc.xml"
setsid openbox --sm-disable --config-file "$dir/openbox-rc.xml" >/dev/null 2>&1 &
echo $! >>"$dir/display.pids"
# Wait for the window manager to announce itself, so that the first window gets a frame.
wm_ready() { xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'; }
wait_for 100 wm_ready || true
# A Wine server of this prefix that started without the display would keep its desktop
# process there: start afresh on this display.
WINEPREFIX="$dir/prefix" wineserver -k 2>/dev/null || true
echo "$DISPLAY" >"$dir/display"
if [ -n "${3:-}" ]; then
    WINEPREFIX="$dir/prefix" wineserver -p </dev/null >/dev/null 2>&1 || true
    WINEPREFIX="$dir/prefix" "$3" cmd /c exit </dev/null >/dev/null 2>&1 || true
fi
echo "display $DISPLAY"
