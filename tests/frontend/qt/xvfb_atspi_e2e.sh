#!/usr/bin/env bash
# The real program under Xvfb as a screen reader meets it: on a D-Bus session bus of its own
# with the accessibility bus, every field, the count box and the list are read through AT-SPI
# by the names of their labels, the buttons by their captions, the list with its headers and
# cells; then Space, pressed on a row reached from the keyboard, loads that row into the fields.
# Usage: xvfb_atspi_e2e.sh BRINDLECOT_EXECUTABLE
set -euo pipefail

program=$(realpath "$1")
reader="$(dirname "$(realpath "$0")")/atspi_read.py"
# shellcheck source=tests/support/xvfb_session.sh
source "$(dirname "${BASH_SOURCE[0]}")/../../support/xvfb_session.sh"
missing=$(missing_tools Xvfb openbox dbus-run-session dbus-send xdotool xprop \
    /usr/libexec/at-spi-bus-launcher)
/usr/bin/python3 -c 'import pyatspi' 2>/dev/null || missing+=" python3-pyatspi"
[ -z "$missing" ] || not_installed "$missing"

if [ -z "${BRINDLECOT_ATSPI_BUS:-}" ]; then
    status=0
    BRINDLECOT_ATSPI_BUS=1 dbus-run-session -- bash "$0" "$@" || status=$?
    exit "$status"
fi

on_failure() { show_logs program; }
new_work_dir

start_display
# Qt joins the accessibility bus only if it is there when the program starts: start it now.
dbus-send --session --print-reply --dest=org.a11y.Bus /org/a11y/bus org.a11y.Bus.GetAddress \
    >/dev/null || fail "the accessibility bus did not start"

mkdir "$work/run"
printf 'CREATOR=Brindlecot 1.0\r\nST=Alpha\r\nURL=alpha.exe\r\nSORTORDER=01\r\nST=Beta\r\nURL=beta.exe\r\nSORTORDER=02\r\nST=Gamma\r\nURL=gamma.exe\r\nSORTORDER=03\r\n' \
    >"$work/run/brcot.dat"
start_program "$work/run" QT_QPA_PLATFORM=xcb QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1
find_main_window

rows=$(/usr/bin/python3 "$reader" check) || fail "through AT-SPI: $rows"
[ "$rows" = $'Alpha|alpha.exe|01\nBeta|beta.exe|02\nGamma|gamma.exe|03' ] ||
    fail "the list's cells read through AT-SPI: $rows"
echo "AT-SPI reads every field by its label, the list as \"Entries\" with its three rows"

# From the title field, back to the list, to its second row, and Space.
focus_main_window
[ -z "$(/usr/bin/python3 "$reader" field Title:)" ] || fail "the title field is not empty"
xdotool key shift+Tab shift+Tab Home Down space
wait_for 50 bash -c "[ \"\$(/usr/bin/python3 '$reader' field Title:)\" = Beta ]" ||
    fail "Space loaded \"$(/usr/bin/python3 "$reader" field Title:)\", not the focused row Beta"
[ "$(/usr/bin/python3 "$reader" field Program/URL:)" = beta.exe ] ||
    fail "Space did not load the target"
echo "Space on the focused row loaded it"

xdotool key Escape
expect_exit "$app" "on Escape"
