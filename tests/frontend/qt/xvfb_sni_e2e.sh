#!/usr/bin/env bash
# The real program under Xvfb with xfce4-panel's status tray, a StatusNotifierItem host on a
# D-Bus session bus of its own: the right press on the icon shows the program's own entries,
# last row on top, in the menu the panel draws; choosing an item launches its target through a
# stand-in for xdg-open; a click on the icon brings the minimised window back; the program
# ends promptly when its window is closed.
# Usage: xvfb_sni_e2e.sh BRINDLECOT_EXECUTABLE SCREENSHOT_DIRECTORY
set -euo pipefail

program=$(realpath "$1")
shots=$2
for tool in Xvfb openbox xfce4-panel dbus-run-session dbus-send xdotool import xwininfo xprop; do
    if ! command -v "$tool" >/dev/null; then
        echo "SKIP: $tool is not installed (tools/test.sh installs it)"
        exit 77
    fi
done
mkdir -p "$shots"

# The panel reads its layout through xfconfd, which the session bus starts: the settings must
# be in place, and the bus our own, before either starts.
if [ -z "${BRINDLECOT_SNI_BUS:-}" ]; then
    work=$(mktemp -d)
    config="$work/config/xfce4/xfconf/xfce-perchannel-xml"
    mkdir -p "$config"
    # One panel along the top edge, as wide as its only plugin: the status tray.
    cat >"$config/xfce4-panel.xml" <<'XML'
<?xml version="1.0" encoding="UTF-8"?>
<channel name="xfce4-panel" version="1.0">
  <property name="configver" type="int" value="2"/>
  <property name="panels" type="array">
    <value type="int" value="1"/>
    <property name="panel-1" type="empty">
      <property name="position" type="string" value="p=6;x=0;y=0"/>
      <property name="length" type="uint" value="1"/>
      <property name="length-adjust" type="bool" value="true"/>
      <property name="position-locked" type="bool" value="true"/>
      <property name="size" type="uint" value="32"/>
      <property name="plugin-ids" type="array">
        <value type="int" value="1"/>
      </property>
    </property>
  </property>
  <property name="plugins" type="empty">
    <property name="plugin-1" type="string" value="systray"/>
  </property>
</channel>
XML
    status=0
    BRINDLECOT_SNI_BUS=1 BRINDLECOT_SNI_WORK="$work" XDG_CONFIG_HOME="$work/config" \
        XDG_DATA_HOME="$work/data" XDG_CACHE_HOME="$work/cache" \
        dbus-run-session -- bash "$0" "$@" || status=$?
    rm -rf "$work"
    exit "$status"
fi

work=$BRINDLECOT_SNI_WORK
pids=()
cleanup() {
    local p
    for ((i = ${#pids[@]} - 1; i >= 0; i--)); do
        p=${pids[i]}
        kill "$p" 2>/dev/null || true
        wait "$p" 2>/dev/null || true
    done
}
trap cleanup EXIT

fail() {
    echo "FAIL: $*"
    [ -f "$work/program.log" ] && sed 's/^/  program: /' "$work/program.log"
    [ -f "$work/panel.log" ] && tail -n 20 "$work/panel.log" | sed 's/^/  panel: /'
    import -window root "$shots/sni-failure.png" 2>/dev/null || true
    exit 1
}

# shellcheck source=tests/support/waits.sh
source "$(dirname "${BASH_SOURCE[0]}")/../../support/waits.sh"

watcher_property() {
    dbus-send --session --print-reply --dest=org.kde.StatusNotifierWatcher \
        /StatusNotifierWatcher org.freedesktop.DBus.Properties.Get \
        string:org.kde.StatusNotifierWatcher "string:$1" 2>/dev/null
}

# A display of our own.
exec 3>"$work/display"
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -noreset >"$work/xvfb.log" 2>&1 &
pids+=($!)
exec 3>&-
wait_for 50 test -s "$work/display" || fail "Xvfb did not start"
export DISPLAY=":$(cat "$work/display")"
unset WAYLAND_DISPLAY
export XDG_RUNTIME_DIR="$work/runtime"
mkdir -m 700 "$XDG_RUNTIME_DIR"

openbox >"$work/openbox.log" 2>&1 &
pids+=($!)
wait_for 50 bash -c "xprop -root _NET_SUPPORTING_WM_CHECK | grep -q 'window id'" ||
    fail "openbox did not start"
xfce4-panel >"$work/panel.log" 2>&1 &
pids+=($!)
host_registered() { watcher_property IsStatusNotifierHostRegistered | grep -q true; }
wait_for 100 host_registered || fail "xfce4-panel registered no StatusNotifierItem host"

# The opener writes each argument on a line of its own, then "--end--".
mkdir "$work/bin"
cat >"$work/bin/xdg-open" <<SCRIPT
#!/bin/sh
for a in "\$@"; do printf '%s\n' "\$a" >> "$work/opened.log"; done
printf -- '--end--\n' >> "$work/opened.log"
SCRIPT
chmod +x "$work/bin/xdg-open"

mkdir "$work/run"
printf 'CREATOR=Brindlecot 1.0\r\nST=Alpha\r\nURL=alpha target\r\nSORTORDER=01\r\nST=Beta\r\nURL=HTTP://Beta.example/a b\r\nSORTORDER=02\r\nST=Gamma\r\nURL=x; touch gamma\r\nSORTORDER=03\r\n' \
    >"$work/run/brcot.dat"
(cd "$work/run" && PATH="$work/bin:$PATH" QT_QPA_PLATFORM=xcb exec "$program") \
    >"$work/program.log" 2>&1 &
app=$!
pids+=($app)

wait_for 100 xdotool search --onlyvisible --name '^Brindlecot' || fail "no main window"
window=$(xdotool search --onlyvisible --name '^Brindlecot' | head -1)
item_registered() { watcher_property RegisteredStatusNotifierItems | grep -q StatusNotifierItem; }
wait_for 50 item_registered || fail "the program registered no StatusNotifierItem"
grep -q 'no system tray' "$work/program.log" && fail "the program said there was no tray"

# The panel grows to hold the icon; the icon is its only content.
panel_geometry() {
    local p
    p=$(xdotool search --onlyvisible --class xfce4-panel | head -1)
    [ -n "$p" ] || return 1
    eval "$(xdotool getwindowgeometry --shell "$p" | sed 's/^/PANEL_/')"
    [ "$PANEL_WIDTH" -ge 24 ]
}
wait_for 50 panel_geometry || fail "the icon did not appear in the panel"
panel_geometry
icon_x=$((PANEL_X + PANEL_WIDTH / 2))
icon_y=$((PANEL_Y + PANEL_HEIGHT / 2))

# The status tray runs in a panel plugin process of its own ("wrapper-2.0"); the menu it
# shows is a popup window of that process, taller than the panel.
menu_open() {
    local w
    for w in $(xdotool search --onlyvisible --class wrapper-2.0 2>/dev/null); do
        eval "$(xdotool getwindowgeometry --shell "$w" | sed 's/^/MENU_/')"
        [ "$MENU_HEIGHT" -gt 40 ] && return 0
    done
    return 1
}
menu_closed() { ! menu_open; }

# Opens the menu with the right press and clicks item $1 (0 is the top one) of $2.
choose_from_menu() {
    local index=$1 count=$2 shot=$3 before
    before=$(grep -c -- '--end--' "$work/opened.log" 2>/dev/null || true)
    xdotool mousemove --sync "$icon_x" "$icon_y" click 3
    # The panel's menu is a popup window of its own; wait until it is on screen.
    wait_for 50 menu_open || fail "no menu appeared on the right press"
    capture_settled "$shot" -window root -crop 360x200+0+0
    # The items share the menu's height but for a small border above and below.
    xdotool mousemove --sync $((MENU_X + MENU_WIDTH / 2)) \
        $((MENU_Y + 4 + (MENU_HEIGHT - 8) * (2 * index + 1) / (2 * count))) click 1
    wait_for 50 bash -c "[ \$(grep -c -- '--end--' '$work/opened.log' 2>/dev/null || echo 0) -gt $before ]" ||
        fail "choosing item $index from the top launched nothing"
    wait_for 50 menu_closed || fail "the menu stayed open"
}

: >"$work/opened.log"
choose_from_menu 0 3 "$shots/sni-menu.png"    # the top item: the last row, Gamma
choose_from_menu 2 3 "$shots/sni-menu-2.png"  # the bottom item: row 0, Alpha
# Entries added now are in the next menu, on top. The fields hold the chosen entry: click
# into the title field and select its text; Tab selects the text of each next field.
xdotool windowactivate --sync "$window"
eval "$(xdotool getwindowgeometry --shell "$window" | sed 's/^/MAIN_/')"
add_entry() {
    xdotool mousemove --window "$window" 236 31 click 1
    xdotool key ctrl+a
    xdotool type --delay 20 -- "$1"
    xdotool key Tab
    xdotool type --delay 20 -- "$2"
    xdotool key Tab
    xdotool type --delay 20 -- "$3"
    # The program takes its input in order, so the next keys need not wait for this Add.
    xdotool key Tab Tab Tab Tab space
}
add_entry "Delta" "-not an option" "04"
add_entry "Epsilon" "caf%C3%A9 & more" "05"
capture_settled "$shots/sni-main-window.png" -window root \
    -crop "$((MAIN_WIDTH + 40))x$((MAIN_HEIGHT + 60))+$((MAIN_X - 20))+$((MAIN_Y - 40))"
choose_from_menu 0 5 "$shots/sni-menu-3.png"  # Epsilon, the new top item
expected=$'x; touch gamma\n--end--\nalpha target\n--end--\ncaf%C3%A9 & more\n--end--'
[ "$(cat "$work/opened.log")" = "$expected" ] ||
    fail "the opener got: $(cat "$work/opened.log")"
[ -e "$work/run/gamma" ] && fail "a shell ran the target"

# A click on the icon restores the minimised window.
xdotool windowminimize --sync "$window"
wait_for 50 bash -c "xwininfo -id $window | grep -q IsUnMapped" || fail "the window did not minimise"
xdotool mousemove "$icon_x" "$icon_y" click 1
wait_for 50 bash -c "xwininfo -id $window | grep -q IsViewable" ||
    fail "a click on the icon did not restore the window"
capture_settled "$shots/sni-restored.png" -window root

# The end of the run: Alt+F4, the file written, the process gone at once.
xdotool windowactivate --sync "$window"
start=$(date +%s%N)
xdotool key alt+F4
wait_for 50 bash -c "! kill -0 $app 2>/dev/null" || fail "the program did not end on Alt+F4"
ms=$((($(date +%s%N) - start) / 1000000))
status=0
wait "$app" || status=$?
[ "$status" -eq 0 ] || fail "the program ended with status $status"
echo "ended ${ms} ms after Alt+F4"
grep -q $'URL=caf%C3%A9 & more\r' "$work/run/brcot.dat" || fail "brcot.dat lacks the new entry"
echo "PASS (StatusNotifierItem menu, launch, restore, end of run; screenshots in $shots)"
