#!/usr/bin/env bash
# Starts or stops the X display that the Windows tests run on: Xvfb with openbox (without a
# window manager every Wine box and window teardown waits 2 s for a withdrawn state).
#   wine_display.sh start WINE_DIR [WINE_RUN KEEPER]   writes the display name to WINE_DIR/display
#   wine_display.sh stop WINE_DIR
# With WINE_RUN (the build's Wine launcher) the Wine server is started persistent and warmed
# up: a cold start costs several seconds, a warm one a fraction of a second per process. With
# KEEPER (wine_desktop_keeper.exe) Wine's desktop is started here and kept until `stop`: it is
# checked to have come up on this display, and no test program finds it coming or going.
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
size=1280x800
start_display -s "$size" -c "$dir/openbox-rc.xml" -d
printf '%s\n' "${pids[@]}" >"$dir/display.pids"
# A Wine server of this prefix that started without the display would keep its desktop
# process there: start afresh on this display.
WINEPREFIX="$dir/prefix" wineserver -k 2>/dev/null || true
echo "$DISPLAY" >"$dir/display"

# Wine's desktop, started by the keeper and kept until `stop`. The keeper prints the screen's
# size as the desktop reports it: the display's own with the X driver; Wine's null driver,
# which a desktop falls back to when it cannot reach the display, and a desktop with no driver
# at all report another; no window on them would ever be seen. Then the desktop is started
# afresh.
keep_desktop() {
    local run=$1 keeper=$2 attempt reported
    for attempt in 1 2 3; do
        WINEPREFIX="$dir/prefix" wineserver -p </dev/null >/dev/null 2>&1 || true
        rm -f "$dir/keeper.out"
        setsid "$run" "$keeper" </dev/null >"$dir/keeper.out" 2>/dev/null &
        echo "$!" >>"$dir/display.pids"
        wait_for 300 test -s "$dir/keeper.out" || fail "Wine's desktop did not start"
        reported=$(head -n 1 "$dir/keeper.out" | tr -d '\r')
        [ "$reported" = "$size" ] && return 0
        echo "note: Wine's desktop came up without the display ($reported); started again"
        WINEPREFIX="$dir/prefix" wineserver -k 2>/dev/null || true
    done
    fail "Wine's desktop did not come up on $DISPLAY"
}

if [ -n "${3:-}" ]; then
    WINEPREFIX="$dir/prefix" wineserver -p </dev/null >/dev/null 2>&1 || true
    WINEPREFIX="$dir/prefix" "$3" cmd /c exit </dev/null >/dev/null 2>&1 || true
    [ -z "${4:-}" ] || keep_desktop "$3" "$4"
fi
echo "display $DISPLAY"
