# shellcheck shell=bash
# Sourced by the scripts that drive a program on an X display of their own: the display (Xvfb,
# with a window manager unless asked otherwise) and the queries on its windows. Sources
# test_helpers.sh too. The script sets `work` (a scratch directory) before it calls any of these.

# shellcheck source=tests/support/test_helpers.sh
source "$(dirname "${BASH_SOURCE[0]}")/test_helpers.sh"

# start_display [-s WIDTHxHEIGHT] [-n] [-c OPENBOX_RC] [-d]: Xvfb on a display number the server
# picks itself (runs side by side cannot collide), then openbox, waited for until it manages the
# screen; both are added to `pids`, their logs are $work/xvfb.log and $work/openbox.log. Exports
# DISPLAY. The screen is 1024x768 unless -s says otherwise; -n: no window manager; -c: openbox
# with that configuration; -d: each in a session of its own, to outlive the script.
# -noreset: by default the server resets whenever its last client disconnects, and a client
# that connects during that reset is turned away ("cannot open display"); every short-lived
# probe (xdotool, xprop) is such a last client while the window manager is still connecting.
start_display() {
    local size=1024x768 manager=openbox detach=() openbox_args=(--sm-disable) option OPTIND=1
    while getopts s:nc:d option; do
        case $option in
            s) size=$OPTARG ;;
            n) manager="" ;;
            c) openbox_args+=(--config-file "$OPTARG") ;;
            d) detach=(setsid) ;;
            *) fail "start_display: unknown option" ;;
        esac
    done
    exec 3>"$work/xvfb-display"
    "${detach[@]}" Xvfb -displayfd 3 -noreset -screen 0 "${size}x24" -nolisten tcp \
        >"$work/xvfb.log" 2>&1 &
    pids+=("$!")
    exec 3>&-
    wait_for 100 test -s "$work/xvfb-display" || { show_logs xvfb; fail "Xvfb did not start"; }
    DISPLAY=":$(cat "$work/xvfb-display")"
    export DISPLAY
    unset WAYLAND_DISPLAY
    export XDG_RUNTIME_DIR="$work/runtime"
    mkdir -p "$XDG_RUNTIME_DIR"
    chmod 700 "$XDG_RUNTIME_DIR"
    [ -n "$manager" ] || return 0

    "${detach[@]}" openbox "${openbox_args[@]}" >"$work/openbox.log" 2>&1 &
    local openbox_pid=$!
    pids+=("$openbox_pid")
    wm_ready() {
        kill -0 "$openbox_pid" 2>/dev/null || return 2
        xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'
    }
    wait_for 100 wm_ready || { show_logs openbox xvfb; fail "openbox did not take over the screen"; }
}

# start_tray [PROGRAM]: an XEmbed tray, waited for: trayer at the top right (the default) or
# tint2 (a panel with its taskbar, tray and clock). Started once more if it does not come up,
# as it now and then dies on the way up, which is not what a test tests. Sets `tray` to its
# window.
start_tray() {
    local program=${1:-trayer} attempt pid
    for attempt in 1 2; do
        if [ "$program" = trayer ]; then
            trayer --edge top --align right --widthtype request --height 32 --SetDockType true \
                --transparent false >>"$work/tray.log" 2>&1 &
        else
            tint2 -c /etc/xdg/tint2/tint2rc >>"$work/tray.log" 2>&1 &
        fi
        pid=$!
        pids+=("$pid")
        if wait_for 100 xdotool search --onlyvisible --class "$program"; then
            tray=$(xdotool search --onlyvisible --class "$program" | head -1)
            [ "$attempt" = 1 ] || echo "note: $program did not come up at first; started again"
            return 0
        fi
        kill "$pid" 2>/dev/null || true
    done
    show_logs tray openbox xvfb
    fail "$program did not start"
}

# The window's map state: true once xwininfo calls it $2 (IsViewable, IsUnMapped).
window_state() { xwininfo -id "$1" 2>/dev/null | grep -q "$2"; }

has_focus() { [ "$(xdotool getwindowfocus)" = "$1" ]; }

# find_main_window: waits for the program's main window to be on screen; sets `window`.
find_main_window() {
    wait_for 100 xdotool search --onlyvisible --name '^Brindlecot' || fail "${1:-}no main window"
    window=$(xdotool search --onlyvisible --name '^Brindlecot' | head -1)
}

# focus_main_window: activates `window` and waits until it has the keyboard focus.
focus_main_window() {
    xdotool windowactivate --sync "$window"
    wait_for 50 has_focus "$window" ||
        fail "${1:-}the main window did not get the keyboard focus"
}
