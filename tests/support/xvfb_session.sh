# shellcheck shell=bash
# Sourced by the end-to-end scripts that drive the real program under Xvfb: a display of the
# script's own with a window manager on it, the helpers' clean-up, and a stand-in for the
# desktop's opener. Sources waits.sh too.
#
# The script sets `work` (a scratch directory) before it calls any of these, and defines
# `fail MESSAGE` (which must exit).

# shellcheck source=tests/support/waits.sh
source "$(dirname "${BASH_SOURCE[0]}")/waits.sh"

# Processes started for the run, ended in reverse order by stop_helpers.
pids=()

stop_helpers() {
    local i p
    for ((i = ${#pids[@]} - 1; i >= 0; i--)); do
        p=${pids[i]}
        kill "$p" 2>/dev/null || true
        wait "$p" 2>/dev/null || true
    done
    pids=()
}

# Prints the last lines of the logs named (xvfb, openbox, ...) under $work, each line marked.
show_logs() {
    local name
    for name in "$@"; do
        [ -s "$work/$name.log" ] && tail -n 20 "$work/$name.log" | sed "s/^/  $name: /"
    done
    return 0
}

# start_display [WIDTHxHEIGHT]: Xvfb on a display number the server picks itself (runs side by
# side cannot collide), then openbox, waited for until it manages the screen. Exports DISPLAY.
# -noreset: by default the server resets whenever its last client disconnects, and a client
# that connects during that reset is turned away ("cannot open display"); every short-lived
# probe (xdotool, xprop) is such a last client while the window manager is still connecting.
start_display() {
    local size=${1:-1024x768}
    exec 3>"$work/display"
    Xvfb -displayfd 3 -noreset -screen 0 "${size}x24" -nolisten tcp >"$work/xvfb.log" 2>&1 &
    pids+=("$!")
    exec 3>&-
    wait_for 100 test -s "$work/display" || { show_logs xvfb; fail "Xvfb did not start"; }
    DISPLAY=":$(cat "$work/display")"
    export DISPLAY
    unset WAYLAND_DISPLAY
    export XDG_RUNTIME_DIR="$work/runtime"
    mkdir -p "$XDG_RUNTIME_DIR"
    chmod 700 "$XDG_RUNTIME_DIR"

    openbox >"$work/openbox.log" 2>&1 &
    local openbox_pid=$!
    pids+=("$openbox_pid")
    wm_ready() {
        kill -0 "$openbox_pid" 2>/dev/null || return 2
        xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'
    }
    wait_for 100 wm_ready || { show_logs openbox xvfb; fail "openbox did not take over the screen"; }
}

# make_opener: $work/bin/xdg-open writes each argument it gets on a line of its own to
# $work/opened.log, then "--end--". Put $work/bin first on the program's PATH.
make_opener() {
    mkdir -p "$work/bin"
    cat >"$work/bin/xdg-open" <<SCRIPT
#!/bin/sh
for a in "\$@"; do printf '%s\n' "\$a" >> "$work/opened.log"; done
printf -- '--end--\n' >> "$work/opened.log"
SCRIPT
    chmod +x "$work/bin/xdg-open"
    : >"$work/opened.log"
}

# How many times the opener has been called so far.
opener_calls() { grep -c -- '--end--' "$work/opened.log" 2>/dev/null || true; }

# A property of the StatusNotifierWatcher on the session bus, as dbus-send prints it.
watcher_property() {
    dbus-send --session --print-reply --dest=org.kde.StatusNotifierWatcher \
        /StatusNotifierWatcher org.freedesktop.DBus.Properties.Get \
        string:org.kde.StatusNotifierWatcher "string:$1" 2>/dev/null
}
sni_host_registered() { watcher_property IsStatusNotifierHostRegistered | grep -q true; }
sni_item_registered() { watcher_property RegisteredStatusNotifierItems | grep -q StatusNotifierItem; }

# The window's map state: true once xwininfo calls it $2 (IsViewable, IsUnMapped).
window_state() { xwininfo -id "$1" 2>/dev/null | grep -q "$2"; }
