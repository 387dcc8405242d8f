#!/usr/bin/env bash
# The real program under Xvfb with an XEmbed tray, started minimised by the window manager (an
# openbox rule, as a desktop's "start minimised" setting or a restored session does): its window
# is never drawn, and its tray icon must dock all the same, or nothing would be left to bring the
# window back with. A double click on the icon then does.
#
# Usage: xvfb_iconic_start_e2e.sh BRINDLECOT_EXECUTABLE
set -euo pipefail

program=$(realpath "$1")
# shellcheck source=tests/support/xvfb_session.sh
source "$(dirname "${BASH_SOURCE[0]}")/../../support/xvfb_session.sh"
require_tools Xvfb openbox trayer xdotool xwininfo

on_failure() { show_logs program tray openbox; }
new_work_dir

cat >"$work/rc.xml" <<'XML'
<?xml version="1.0" encoding="UTF-8"?>
<openbox_config xmlns="http://openbox.org/3.4/rc">
  <applications>
    <application title="Brindlecot*" type="normal"><iconic>yes</iconic></application>
  </applications>
</openbox_config>
XML
start_display -c "$work/rc.xml"
unset DBUS_SESSION_BUS_ADDRESS  # no StatusNotifierItem host: the icon docks in trayer
start_tray

mkdir "$work/run"
printf 'CREATOR=Brindlecot 1.0\r\nST=Calc\r\nURL=calc.exe\r\nSORTORDER=01\r\n' >"$work/run/brcot.dat"
start_program "$work/run" QT_QPA_PLATFORM=xcb
main_window() { xdotool search --name '^Brindlecot $'; }
wait_for 100 main_window || fail "no main window"
window=$(main_window | head -1)
wait_for 50 window_state "$window" IsUnMapped || fail "the window manager did not minimise the window"

docked_icon() { xwininfo -tree -id "$tray" | awk '/"brindlecot"/ { print $1; exit }'; }
icon_docked() { [ -n "$(docked_icon)" ]; }
wait_for 100 icon_docked || fail "the icon did not dock while the window was minimised"
window_state "$window" IsUnMapped || fail "the window was shown before its icon was used"

icon=$(($(docked_icon)))
eval "$(xdotool getwindowgeometry --shell "$icon" | sed 's/^/ICON_/')"
xdotool mousemove --sync $((ICON_X + ICON_WIDTH / 2)) $((ICON_Y + ICON_HEIGHT / 2))
xdotool click --repeat 2 --delay 80 1
wait_for 50 window_state "$window" IsViewable ||
    fail "a double click on the icon did not restore the window"

xdotool windowactivate --sync "$window"
xdotool key Escape Escape
expect_exit "$app" "on Escape"
