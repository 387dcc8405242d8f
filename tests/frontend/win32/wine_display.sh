#!/usr/bin/env bash
# Starts or stops the X display that the Windows tests run on: Xvfb with openbox (without a
# window manager every Wine box and window teardown waits 2 s for a withdrawn state).
#   wine_display.sh start WINE_DIR [WINE_RUN]   writes the display name to WINE_DIR/display
#   wine_display.sh stop WINE_DIR
# With WINE_RUN (the build's Wine launcher) the Wine server is started persistent and warmed
# up: a cold start costs several seconds, a warm one a fraction of a second per process.
set -euo pipefail
# shellcheck source=tests/support/xvfb_session.sh
source "$(dirname "${BASH_SOURCE[0]}")/../../support/xvfb_session.sh"
action=$1
dir=$2
mkdir -p "$dir"
work=$dir

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
# openbox's own key bindings would take keys a Windows program answers itself (Alt+Space
# opens the system menu, Alt+F4 closes): the tests run it without them.
sed '/<keyboard>/,/<\/keyboard>/{/<keyboard>/!{/<\/keyboard>/!d}}' /etc/xdg/openbox/rc.xml \
    >"$dir/openbox-rc.xml"
# The display outlives this script, until `stop`; the window manager is waited for, so that the
# first window gets a frame.
on_failure() {
    stop_helpers
    stop
}
start_display -s 1280x800 -c "$dir/openbox-rc.xml" -d
printf '%s\n' "${pids[@]}" >"$dir/display.pids"
# A Wine server of this prefix that started without the display would keep its desktop
# process there: start afresh on this display.
WINEPREFIX="$dir/prefix" wineserver -k 2>/dev/null || true
echo "$DISPLAY" >"$dir/display"
if [ -n "${3:-}" ]; then
    WINEPREFIX="$dir/prefix" wineserver -p </dev/null >/dev/null 2>&1 || true
    WINEPREFIX="$dir/prefix" "$3" cmd /c exit </dev/null >/dev/null 2>&1 || true
fi
echo "display $DISPLAY"
