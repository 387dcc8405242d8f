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

# Waits up to $1 tenths of a second for the command after it to succeed.
wait_for() {
    local tenths=$1
    shift
    for ((i = 0; i < tenths; i++)); do
        if "$@" >/dev/null 2>&1; then return 0; fi
        sleep 0.1
    done
    return 1
}

# A display of our own.
exec 3>"$work/display"
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
pids+=($!)
exec 3>&-
wait_for 50 test -s "$work/display" || fail "Xvfb did not start"
export DISPLAY=":$(cat "$work/display")"
unset WAYLAND_DISPLAY DBUS_SESSION_BUS_ADDRESS  # no StatusNotifierItem: the XEmbed tray
export XDG_RUNTIME_DIR="$work/runtime"
mkdir -m 700 "$XDG_RUNTIME_DIR"

openbox >"$work/openbox.log" 2>&1 &
pids+=($!)
trayer --edge top --align right --widthtype request --height 32 --SetDockType true \
    --transparent false >"$work/trayer.log" 2>&1 &
pids+=($!)
wait_for 50 xdotool search --onlyvisible --class trayer || fail "trayer did not start"

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
sleep 0.3

# A new entry, typed as a user does: the focus starts in the title field, Tab moves on
# through the target and the sort order to Browse, Quit, Test and Add.
xdotool type --delay 20 "Web"
xdotool key Tab
xdotool type --delay 20 "https://web.example/x y"
xdotool key Tab
xdotool type --delay 20 "03"
xdotool key Tab Tab Tab Tab space
sleep 0.5
import -window root "$work/screen.png"
eval "$(xdotool getwindowgeometry --shell "$window")"
import -window root -crop "$((WIDTH + 40))x$((HEIGHT + 60))+$((X - 20))+$((Y - 40))" \
    "$shots/main-window.png"

# The tray icon sits in trayer's window, alone: press the right button on it.
tray=$(xdotool search --onlyvisible --class trayer | head -1)
eval "$(xdotool getwindowgeometry --shell "$tray" | sed 's/^/TRAY_/')"
xdotool mousemove $((TRAY_X + TRAY_WIDTH / 2)) $((TRAY_Y + TRAY_HEIGHT / 2))
sleep 0.3
xdotool click 3
sleep 0.8
import -window root -crop 420x260+$((1024 - 420))+0 "$shots/tray-menu.png"

# The top item is the last row: the entry typed above. Choose it with the keyboard.
xdotool key Down Return
wait_for 50 grep -q -- '--end--' "$work/opened.log" || fail "the opener was not called"
opened=$(cat "$work/opened.log")
echo "opener received: $(tr '\n' ' ' <"$work/opened.log")"
case "$opened" in
    $'https://web.example/x y\n--end--' | $'https://web.example/x%20y\n--end--') ;;
    *) fail "the opener got an unexpected call: $opened" ;;
esac

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
