#!/usr/bin/env bash
# The real program under Xvfb with a panel that hosts StatusNotifierItems, on a D-Bus session
# bus of its own: the right press on the icon opens exactly one menu, the one the panel draws
# from the program's own entries, last row on top; choosing an item launches its target through
# a stand-in for xdg-open; a click on the icon brings the minimised window back, also right
# after a menu was closed without a choice, and so does the host's Activate alone while another
# window has the focus (with BRINDLECOT_ACTIVE_WINDOW_REQUESTS, the path of
# active_window_requests); the program ends promptly when its window is closed.
#
# Usage: xvfb_sni_e2e.sh BRINDLECOT_EXECUTABLE SCREENSHOT_DIRECTORY [PANEL [later]]
#   PANEL  xfce4-panel (its status tray; the default) or lxqt-panel (its status notifier and
#          its XEmbed tray side by side, as LXQt sets it up)
#   later  the panel starts after the program: the icon must still be a StatusNotifierItem,
#          although the panel offers an XEmbed tray as well
set -euo pipefail

program=$(realpath "$1")
shots=$2
panel=${3:-xfce4-panel}
order=${4:-first}
case "$panel" in
    xfce4-panel | lxqt-panel) ;;
    *) echo "unknown panel: $panel"; exit 2 ;;
esac
# shellcheck source=tests/support/xvfb_session.sh
source "$(dirname "${BASH_SOURCE[0]}")/../../support/xvfb_session.sh"
require_tools Xvfb openbox "$panel" dbus-run-session dbus-send xdotool import convert xwininfo \
    xprop xmessage
mkdir -p "$shots"
shot_prefix="sni-${panel%-panel}"
[ "$order" = later ] && shot_prefix+="-later"

# The panels read their settings when they start (xfce4-panel through xfconfd, which the
# session bus starts): the settings must be in place, and the bus our own, before either starts.
if [ -z "${BRINDLECOT_SNI_BUS:-}" ]; then
    work=$(mktemp -d)
    if [ "$panel" = xfce4-panel ]; then
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
    else
        mkdir -p "$work/config/lxqt"
        # One short panel in the top left corner with the status notifier and, after it, the
        # XEmbed tray, as in LXQt's own panel.
        cat >"$work/config/lxqt/panel.conf" <<'CONF'
[General]
__userfile__=true

[panel1]
alignment=-1
plugins=statusnotifier, tray
position=Top
width=64
width-percent=false
panelSize=32
iconSize=22
hidable=false
desktop=0

[statusnotifier]
type=statusnotifier

[tray]
type=tray
CONF
        printf '[General]\n__userfile__=true\ntheme=Clearlooks\nicon_theme=hicolor\n' \
            >"$work/config/lxqt/lxqt.conf"
    fi
    status=0
    BRINDLECOT_SNI_BUS=1 BRINDLECOT_SNI_WORK="$work" XDG_CONFIG_HOME="$work/config" \
        XDG_DATA_HOME="$work/data" XDG_CACHE_HOME="$work/cache" \
        dbus-run-session -- bash "$0" "$@" || status=$?
    rm -rf "$work"
    exit "$status"
fi

work=$BRINDLECOT_SNI_WORK
on_failure() {
    show_logs program panel
    import -window root "$shots/$shot_prefix-failure.png" 2>/dev/null || true
}
trap stop_helpers EXIT

start_display
make_opener
start_panel() {
    "$panel" >"$work/panel.log" 2>&1 &
    pids+=("$!")
    wait_for 100 sni_host_registered || fail "$panel registered no StatusNotifierItem host"
}

mkdir "$work/run"
printf 'CREATOR=Brindlecot 1.0\r\nST=Alpha\r\nURL=alpha target\r\nSORTORDER=01\r\nST=Beta\r\nURL=HTTP://Beta.example/a b\r\nSORTORDER=02\r\nST=Gamma\r\nURL=x; touch gamma\r\nSORTORDER=03\r\n' \
    >"$work/run/brcot.dat"
[ "$order" = later ] || start_panel
start_program "$work/run" QT_QPA_PLATFORM=xcb
find_main_window
if [ "$order" = later ]; then
    # No tray yet: the program says so once, and shows its icon when the panel comes.
    expect_no_tray_notice
    start_panel
else
    grep -q 'no system tray' "$work/program.log" && fail "the program said there was no tray"
fi
# Qt makes a StatusNotifierItem or an XEmbed icon, never both: a registered item is the proof.
wait_for 50 sni_item_registered || fail "the program registered no StatusNotifierItem"

# The icon: the only thing drawn in the panel, found in a screenshot of the panel.
panel_window=$(xdotool search --onlyvisible --class "$panel" | head -1)
[ -n "$panel_window" ] || fail "no panel window"
icon_drawn() {
    eval "$(xdotool getwindowgeometry --shell "$panel_window" | sed 's/^/PANEL_/')"
    local box
    import -window root "$work/screen.png" 2>/dev/null || return 1
    box=$(convert "$work/screen.png" -crop "${PANEL_WIDTH}x${PANEL_HEIGHT}+${PANEL_X}+${PANEL_Y}" \
        +repage -fuzz 10% -trim -format '%w %h %X %Y' info: 2>/dev/null) || return 1
    read -r ICON_WIDTH ICON_HEIGHT ICON_X ICON_Y <<<"$box"
    [ "$ICON_WIDTH" -ge 16 ] && [ "$ICON_WIDTH" -le 40 ] && [ "$ICON_HEIGHT" -ge 16 ]
}
wait_for 50 icon_drawn || fail "the icon did not appear in the panel"
icon_x=$((PANEL_X + ICON_X + ICON_WIDTH / 2))
icon_y=$((PANEL_Y + ICON_Y + ICON_HEIGHT / 2))

# A menu is a window that was not on screen before the press, taller than a tooltip.
visible_windows() { xdotool search --onlyvisible --name '' 2>/dev/null | sort; }
menus() {
    local w
    for w in $(comm -13 <(printf '%s\n' "$1") <(visible_windows)); do
        eval "$(xdotool getwindowgeometry --shell "$w" 2>/dev/null | sed 's/^/W_/')" || continue
        [ "$W_HEIGHT" -gt 40 ] && echo "$w"
    done
    return 0
}
menu_open() { [ -n "$(menus "$before")" ]; }
menu_closed() { ! menu_open; }

# Presses the right button on the icon and waits for the menu; exactly one may open.
open_menu() {
    local shot=$1 found
    before=$(visible_windows)
    xdotool mousemove --sync "$icon_x" "$icon_y" click 3
    wait_for 50 menu_open || fail "no menu appeared on the right press"
    capture_settled "$shot" -window root -crop 360x200+0+0
    found=$(menus "$before")
    [ "$(wc -l <<<"$found")" -eq 1 ] || fail "the right press opened more than one menu"
    eval "$(xdotool getwindowgeometry --shell "$found" | sed 's/^/MENU_/')"
}

# Opens the menu and clicks item $1 (0 is the top one) of $2.
choose_from_menu() {
    local index=$1 count=$2 shot=$3 calls
    calls=$(opener_calls)
    open_menu "$shot"
    # The items share the menu's height but for a small border above and below.
    xdotool mousemove --sync $((MENU_X + MENU_WIDTH / 2)) \
        $((MENU_Y + 4 + (MENU_HEIGHT - 8) * (2 * index + 1) / (2 * count))) click 1
    wait_for 50 opener_called_more_than "$calls" ||
        fail "choosing item $index from the top launched nothing"
    wait_for 50 menu_closed || fail "the menu stayed open"
}

choose_from_menu 0 3 "$shots/$shot_prefix-menu.png"    # the top item: the last row, Gamma
choose_from_menu 2 3 "$shots/$shot_prefix-menu-2.png"  # the bottom item: row 0, Alpha
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
capture_settled "$shots/$shot_prefix-main-window.png" -window root \
    -crop "$((MAIN_WIDTH + 40))x$((MAIN_HEIGHT + 60))+$((MAIN_X - 20))+$((MAIN_Y - 40))"
choose_from_menu 0 5 "$shots/$shot_prefix-menu-3.png"  # Epsilon, the new top item
expect_opened $'x; touch gamma\n--end--\nalpha target\n--end--\ncaf%C3%A9 & more\n--end--'
[ -e "$work/run/gamma" ] && fail "a shell ran the target"

# A click on the icon restores the minimised window, also the first click after a menu that
# was closed without a choice.
xdotool windowminimize --sync "$window"
wait_for 50 window_state "$window" IsUnMapped || fail "the window did not minimise"
open_menu "$shots/$shot_prefix-menu-4.png"
xdotool key Escape
wait_for 50 menu_closed || fail "Escape did not close the menu"
# The pointer is still on the icon: a move there with --sync would wait for a motion that never
# comes (xdotool gives up after about 12 s).
xdotool click 1
wait_for 50 window_state "$window" IsViewable ||
    fail "a click on the icon did not restore the window"
capture_settled "$shots/$shot_prefix-restored.png" -window root
[ "$(opener_calls)" -eq 3 ] || fail "the menu closed with Escape launched something"

# The restore as GNOME Shell's AppIndicator extension asks for it: the host calls Activate over
# D-Bus and nothing else, so no X event reaches the program, after the user has worked in
# another window. The program asks the window manager itself, as a pager does (source 2), with
# the server's time now, which a window manager that guards against focus stealing grants: the
# window comes back un-minimised and focused.
if [ -n "${BRINDLECOT_ACTIVE_WINDOW_REQUESTS:-}" ]; then
    "$BRINDLECOT_ACTIVE_WINDOW_REQUESTS" >"$work/requests.log" 2>&1 &
    pids+=("$!")
    wait_for 50 grep -qx ready "$work/requests.log" || fail "the request watcher did not start"
    xmessage -geometry 300x80+0+420 "another window" >/dev/null 2>&1 &
    pids+=("$!")
    wait_for 50 xdotool search --onlyvisible --class xmessage || fail "no other window"
    other=$(xdotool search --onlyvisible --class xmessage | head -1)
    xdotool windowminimize --sync "$window"
    wait_for 50 window_state "$window" IsUnMapped || fail "the window did not minimise"
    xdotool mousemove --window "$other" 20 20 click 1
    wait_for 50 has_focus "$other" || fail "the other window did not take the focus"
    # The server's time after the user's click elsewhere: the request must be no older.
    xprop -root -f _BRINDLECOT_MARK 32c -set _BRINDLECOT_MARK 1
    wait_for 50 grep -q '^mark ' "$work/requests.log" || fail "the watcher saw no mark"
    item=$(watcher_property RegisteredStatusNotifierItems |
        grep -o '"[^"]*StatusNotifierItem[^"]*"' | head -1 | tr -d '"')
    service=${item%%/*}
    dbus-send --session --print-reply --dest="${service%@}" "/${item#*/}" \
        org.kde.StatusNotifierItem.Activate int32:0 int32:0 >/dev/null ||
        fail "the item '$item' did not take Activate"
    wait_for 50 window_state "$window" IsViewable || fail "Activate did not restore the window"
    wait_for 50 has_focus "$window" || fail "Activate did not give the window the focus"
    xprop -id "$window" _NET_WM_STATE | grep -q _NET_WM_STATE_HIDDEN &&
        fail "the window is still marked hidden"
    grep -qx "active $window 2 [0-9]* 1" "$work/requests.log" ||
        fail "no activation request as a pager's, with the time now: $(cat "$work/requests.log")"
    capture_settled "$shots/$shot_prefix-activated.png" -window root
fi

# The end of the run: Alt+F4, the file written, the process gone at once.
xdotool windowactivate --sync "$window"
start=$(date +%s%N)
xdotool key alt+F4
expect_exit "$app" "on Alt+F4"
ms=$((($(date +%s%N) - start) / 1000000))
echo "ended ${ms} ms after Alt+F4"
grep -q $'URL=caf%C3%A9 & more\r' "$work/run/brcot.dat" || fail "brcot.dat lacks the new entry"
echo "PASS ($panel, $order, StatusNotifierItem menu, launch, restore, end of run;" \
    "screenshots in $shots)"
