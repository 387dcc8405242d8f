#!/usr/bin/env bash
# One run of the real program under Xvfb with a window manager, an XEmbed tray and a real
# pointer and keyboard: it loads a prepared brcot.dat, takes an entry typed into its fields,
# opens the tray menu with the right button, launches the chosen entry through a stand-in for
# xdg-open, is closed through the window manager, and the file it leaves is compared byte for
# byte.
# Usage: xvfb_tray_e2e.sh BRINDLECOT_EXECUTABLE SCREENSHOT_DIRECTORY
set -euo pipefail

program=$(realpath "$1")
shots=$2
for tool in Xvfb openbox trayer xdotool import xwininfo; do
    if ! command -v "$tool" >/dev/null; then
        echo "SKIP: $tool is not installed (tools/test.sh installs it)"
        exit 77
    fi
done
mkdir -p "$shots"

work=$(mktemp -d)
pids=()
cleanup() {
    local p
    for ((i = ${#pids[@]} - 1; i >= 0; i--)); do
        p=${pids[i]}
        kill "$p" 2>/dev/null || true
        wait "$p" 2>/dev/null || true
    done
    rm -rf "$work"
}
trap cleanup EXIT

fail() {
    echo "FAIL: $*"
    [ -f "$work/program.log" ] && sed 's/^/  program: /' "$work/program.log"
    exit 1
}

# Fails, showing the logs of the helpers named after the message (xvfb, openbox, trayer).
fail_with_log() {
    local message=$1 name
    shift
    echo "FAIL: $message"
    for name in "$@"; do
        [ -s "$work/$name.log" ] && sed "s/^/  $name: /" "$work/$name.log"
    done
    exit 1
}

# shellcheck source=tests/support/waits.sh
source "$(dirname "${BASH_SOURCE[0]}")/../../support/waits.sh"

# A display of our own, picked by the server itself so that runs side by side cannot collide.
# -noreset: by default the server resets whenever its last client disconnects, and a client
# that connects during that reset is turned away ("cannot open display"). Every short-lived
# probe below (xdotool, xprop) is such a last client while the window manager and the tray
# are still connecting; that is how the tray sometimes failed to start.
exec 3>"$work/display"
Xvfb -displayfd 3 -noreset -screen 0 1024x768x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
pids+=($!)
exec 3>&-
wait_for 100 test -s "$work/display" || fail_with_log "Xvfb did not start" xvfb
export DISPLAY=":$(cat "$work/display")"
unset WAYLAND_DISPLAY DBUS_SESSION_BUS_ADDRESS  # no StatusNotifierItem: the XEmbed tray
export XDG_RUNTIME_DIR="$work/runtime"
mkdir -m 700 "$XDG_RUNTIME_DIR"

# The window manager first: it announces itself on the root window once it manages the screen.
openbox >"$work/openbox.log" 2>&1 &
openbox_pid=$!
pids+=($openbox_pid)
wm_ready() {
    kill -0 "$openbox_pid" 2>/dev/null || return 2
    xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'
}
wait_for 100 wm_ready || fail_with_log "openbox did not take over the screen" openbox xvfb

# Then the tray. It is a helper, not what is tested: if it dies on the way up it is started
# once more, and the run says so.
start_tray() {
    trayer --edge top --align right --widthtype request --height 32 --SetDockType true \
        --transparent false >>"$work/trayer.log" 2>&1 &
    tray_pid=$!
    pids+=($tray_pid)
}
tray_ready() {
    kill -0 "$tray_pid" 2>/dev/null || return 2
    xdotool search --onlyvisible --class trayer
}
start_tray
if ! wait_for 100 tray_ready; then
    echo "note: trayer did not come up; starting it again"
    kill "$tray_pid" 2>/dev/null || true
    start_tray
    wait_for 100 tray_ready || fail_with_log "trayer did not start" trayer openbox xvfb
fi

# The opener writes each argument on a line of its own, then "--end--".
mkdir "$work/bin"
cat >"$work/bin/xdg-open" <<SCRIPT
#!/bin/sh
for a in "\$@"; do printf '%s\n' "\$a" >> "$work/opened.log"; done
printf -- '--end--\n' >> "$work/opened.log"
SCRIPT
chmod +x "$work/bin/xdg-open"

# LF line ends, no header, not in sort order: the file written at the end differs from it.
mkdir "$work/run"
printf 'ST=Notes\nURL=http://notes.example/\nSORTORDER=02\nST=Calc\nURL=calc.exe\nSORTORDER=01\n' \
    >"$work/run/brcot.dat"

(cd "$work/run" && PATH="$work/bin:$PATH" QT_QPA_PLATFORM=xcb exec "$program") \
    >"$work/program.log" 2>&1 &
app=$!
pids+=($app)

wait_for 100 xdotool search --onlyvisible --name '^Brindlecot' || fail "no main window"
window=$(xdotool search --onlyvisible --name '^Brindlecot' | head -1)
caption=$(xdotool getwindowname "$window")
xdotool windowactivate --sync "$window"
has_focus() { [ "$(xdotool getwindowfocus)" = "$window" ]; }
wait_for 50 has_focus || fail "the main window did not get the keyboard focus"

# A new entry, typed as a user does: the focus starts in the title field, Tab moves on
# through the target and the sort order to Browse, Quit, Test and Add.
xdotool type --delay 20 "Web"
xdotool key Tab
xdotool type --delay 20 "https://web.example/x y"
xdotool key Tab
xdotool type --delay 20 "03"
xdotool key Tab Tab Tab Tab space

# The program's icon, docked in trayer's window (window ids as xwininfo prints them).
tray=$(xdotool search --onlyvisible --class trayer | head -1)
docked_icon() { xwininfo -tree -id "$tray" | awk '/"brindlecot"/ { print $1; exit }'; }
icon_docked() { [ -n "$(docked_icon)" ]; }
wait_for 100 icon_docked || fail "the program's icon did not dock in the tray"
icon=$(($(docked_icon)))

# Waits until a window of the program other than those listed in $1 is on screen; prints it.
new_window() {
    local w
    for w in $(xdotool search --onlyvisible --class brindlecot); do
        grep -qx "$w" <<<"$1" || { echo "$w"; return 0; }
    done
    return 1
}
# True once a screenshot of the area (WxH+X+Y) shows more than two colours: drawn, not blank.
drawn() { [ "$(import -window root -crop "$1" -format %k info: 2>/dev/null)" -gt 2 ]; }

# Press the right button on the icon; the menu is a window of its own.
before=$(xdotool search --onlyvisible --class brindlecot)
eval "$(xdotool getwindowgeometry --shell "$icon" | sed 's/^/ICON_/')"
xdotool mousemove --sync $((ICON_X + ICON_WIDTH / 2)) $((ICON_Y + ICON_HEIGHT / 2))
xdotool click 3
wait_for 50 new_window "$before" || fail "no menu opened on the tray icon"
menu=$(new_window "$before")
eval "$(xdotool getwindowgeometry --shell "$menu" | sed 's/^/MENU_/')"
wait_for 30 drawn "${MENU_WIDTH}x${MENU_HEIGHT}+${MENU_X}+${MENU_Y}" || true
import -window root -crop 420x260+$((1024 - 420))+0 "$shots/tray-menu.png"

# Three rows, three items; the top item is the last row: the entry typed above. The pointer
# chooses it: a click reaches the menu as soon as it is on screen, keys only once it has taken
# the keyboard, which cannot be seen from outside.
xdotool mousemove --sync $((MENU_X + MENU_WIDTH / 2)) $((MENU_Y + MENU_HEIGHT / 6))
xdotool click 1
wait_for 50 grep -q -- '--end--' "$work/opened.log" || fail "the opener was not called"
opened=$(cat "$work/opened.log")
echo "opener received: $(tr '\n' ' ' <"$work/opened.log")"
case "$opened" in
    $'https://web.example/x y\n--end--') ;;  # exactly as typed: no %20
    *) fail "the opener got an unexpected call: $opened" ;;
esac

# The new row was in the menu, so it is in the table: the main window as it is now.
eval "$(xdotool getwindowgeometry --shell "$window")"
import -window root -crop "$((WIDTH + 40))x$((HEIGHT + 60))+$((X - 20))+$((Y - 40))" \
    "$shots/main-window.png"

# A double click on the icon brings the minimised window back.
xdotool windowminimize --sync "$window"
wait_for 50 bash -c "xwininfo -id $window | grep -q IsUnMapped" || fail "the window did not minimise"
xdotool mousemove --sync $((ICON_X + ICON_WIDTH / 2)) $((ICON_Y + ICON_HEIGHT / 2))
xdotool click --repeat 2 --delay 80 1
wait_for 50 bash -c "xwininfo -id $window | grep -q IsViewable" ||
    fail "a double click on the icon did not restore the window"

# Close the window through the window manager (Alt+F4 is its Close).
xdotool windowactivate --sync "$window"
xdotool key alt+F4
wait_for 50 bash -c "! kill -0 $app 2>/dev/null" || fail "the program did not end on Alt+F4"
status=0
wait "$app" || status=$?
[ "$status" -eq 0 ] || fail "the program ended with status $status"

expected=$'CREATOR=Brindlecot 1.0\r\nST=Web\r\nURL=https://web.example/x y\r\nSORTORDER=03\r\n\r\nST=Notes\r\nURL=http://notes.example/\r\nSORTORDER=02\r\n\r\nST=Calc\r\nURL=calc.exe\r\nSORTORDER=01\r\n'
[ "$caption" = "Brindlecot " ] || fail "the caption after loading is '$caption'"
if ! cmp -s <(printf '%s' "$expected") "$work/run/brcot.dat"; then
    echo "expected:"; printf '%s' "$expected" | od -c | head -20
    echo "written:"; od -c "$work/run/brcot.dat" | head -20
    fail "brcot.dat differs"
fi
echo "PASS (tray, menu, launch, end of run, brcot.dat bytes; screenshots in $shots)"
