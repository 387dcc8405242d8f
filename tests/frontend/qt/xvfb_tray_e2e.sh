#!/usr/bin/env bash
# One run of the real program under Xvfb with a window manager, an XEmbed tray and a real
# pointer and keyboard: it loads a prepared brcot.dat, takes an entry typed into its fields,
# opens the tray menu with the right button, launches the chosen entry through a stand-in for
# xdg-open, comes back from the taskbar's minimise with a double click on its icon, is closed
# through the window manager, and the file it leaves is compared byte for byte.
#
# Usage: xvfb_tray_e2e.sh BRINDLECOT_EXECUTABLE SCREENSHOT_DIRECTORY [TRAY [later]]
#   TRAY   trayer (the default) or tint2 (a panel with its taskbar, tray and clock, as it
#          comes)
#   later  the tray starts after the program, which must then dock its icon in it
set -euo pipefail

program=$(realpath "$1")
shots=$2
tray_program=${3:-trayer}
order=${4:-first}
case "$tray_program" in
    trayer | tint2) ;;
    *) echo "unknown tray: $tray_program"; exit 2 ;;
esac
# shellcheck source=tests/support/xvfb_session.sh
source "$(dirname "${BASH_SOURCE[0]}")/../../support/xvfb_session.sh"
require_tools Xvfb openbox "$tray_program" xdotool import xwininfo xprop
mkdir -p "$shots"
shot_prefix="tray"
[ "$tray_program" = trayer ] || shot_prefix+="-$tray_program"
[ "$order" = later ] && shot_prefix+="-later"

on_failure() {
    show_logs program tray
    import -window root "$shots/$shot_prefix-failure.png" 2>/dev/null || true
}
new_work_dir

start_display
unset DBUS_SESSION_BUS_ADDRESS  # no StatusNotifierItem: the XEmbed tray

[ "$order" = later ] || start_tray "$tray_program"

make_opener

# LF line ends, no header, not in sort order: the file written at the end differs from it.
mkdir "$work/run"
printf 'ST=Notes\nURL=http://notes.example/\nSORTORDER=02\nST=Calc\nURL=calc.exe\nSORTORDER=01\n' \
    >"$work/run/brcot.dat"

start_program "$work/run" QT_QPA_PLATFORM=xcb
find_main_window
if [ "$order" = later ]; then
    expect_no_tray_notice
    start_tray "$tray_program"
fi
caption=$(xdotool getwindowname "$window")
focus_main_window

# A new entry, typed as a user does: the focus starts in the title field, Tab moves on
# through the target and the sort order to Browse, Quit, Test and Add.
xdotool type --delay 20 "Web"
xdotool key Tab
xdotool type --delay 20 "https://web.example/x y"
xdotool key Tab
xdotool type --delay 20 "03"
xdotool key Tab Tab Tab Tab space

# The program's icon, docked in the tray's window (window ids as xwininfo prints them).
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
# The menu with the tray beside it: 420x260 around the menu, within the screen's 1024x768.
shot_x=$((MENU_X - 150)); shot_x=$((shot_x < 0 ? 0 : shot_x > 604 ? 604 : shot_x))
shot_y=$((MENU_Y - 40)); shot_y=$((shot_y < 0 ? 0 : shot_y > 508 ? 508 : shot_y))
import -window root -crop "420x260+$shot_x+$shot_y" "$shots/$shot_prefix-menu.png"

# Three rows, three items; the top item is the last row: the entry typed above. The pointer
# chooses it: a click reaches the menu as soon as it is on screen, keys only once it has taken
# the keyboard, which cannot be seen from outside.
xdotool mousemove --sync $((MENU_X + MENU_WIDTH / 2)) $((MENU_Y + MENU_HEIGHT / 6))
xdotool click 1
wait_for 50 opener_called_more_than 0 || fail "the opener was not called"
expect_opened $'https://web.example/x y\n--end--'  # exactly as typed: no %20

# The new row was in the menu, so it is in the table: the main window as it is now.
eval "$(xdotool getwindowgeometry --shell "$window")"
import -window root -crop "$((WIDTH + 40))x$((HEIGHT + 60))+$((X - 20))+$((Y - 40))" \
    "$shots/$shot_prefix-main-window.png"

# A double click on the icon brings the minimised window back.
xdotool windowminimize --sync "$window"
wait_for 50 window_state "$window" IsUnMapped || fail "the window did not minimise"
xdotool mousemove --sync $((ICON_X + ICON_WIDTH / 2)) $((ICON_Y + ICON_HEIGHT / 2))
xdotool click --repeat 2 --delay 80 1
wait_for 50 window_state "$window" IsViewable ||
    fail "a double click on the icon did not restore the window"

# Close the window through the window manager (Alt+F4 is its Close).
xdotool windowactivate --sync "$window"
xdotool key alt+F4
expect_exit "$app" "on Alt+F4"

expected=$'CREATOR=Brindlecot 1.0\r\nST=Web\r\nURL=https://web.example/x y\r\nSORTORDER=03\r\n\r\nST=Notes\r\nURL=http://notes.example/\r\nSORTORDER=02\r\n\r\nST=Calc\r\nURL=calc.exe\r\nSORTORDER=01\r\n'
[ "$caption" = "Brindlecot " ] || fail "the caption after loading is '$caption'"
expect_bytes "$work/run/brcot.dat" "$expected" "brcot.dat differs"
echo "PASS (tray, menu, launch, end of run, brcot.dat bytes; screenshots in $shots)"
