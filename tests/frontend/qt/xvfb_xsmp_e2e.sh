#!/usr/bin/env bash
# The real program under Xvfb with an X11 session manager (a stand-in speaking XSMP through
# libSM) and an XEmbed tray: a checkpoint and a logout that the user then cancels each write the
# entry file without a box, and the program runs on with its window, its fields, its selection
# and its tray icon as they were, pixel for pixel; the session's end (Die) writes the file once
# more and ends the program at once.
#
# Usage: xvfb_xsmp_e2e.sh BRINDLECOT_EXECUTABLE FAKE_SESSION_MANAGER SCREENSHOT_DIRECTORY
set -euo pipefail

program=$(realpath "$1")
manager=$(realpath "$2")
shots=$3
# shellcheck source=tests/support/xvfb_session.sh
source "$(dirname "${BASH_SOURCE[0]}")/../../support/xvfb_session.sh"
require_tools Xvfb openbox trayer xdotool import compare xwininfo xprop
mkdir -p "$shots"

on_failure() {
    show_logs program manager
    import -window root "$shots/xsmp-failure.png" 2>/dev/null || true
}
new_work_dir

start_display
unset DBUS_SESSION_BUS_ADDRESS  # no StatusNotifierItem host: the icon docks in trayer
start_tray

# The session manager, spoken to through a pipe each way.
mkfifo "$work/to-manager" "$work/from-manager"
"$manager" <"$work/to-manager" >"$work/from-manager" 2>"$work/manager.log" &
pids+=("$!")
exec 5>"$work/to-manager" 6<"$work/from-manager"
expect() {
    local line
    read -r -t 10 -u 6 line || fail "the session manager said nothing; expected '$1'"
    [ "$line" = "$1" ] || fail "the session manager said '$line'; expected '$1'"
}
tell() { echo "$1" >&5; }
read -r -t 10 -u 6 address || fail "the session manager did not start"
case "$address" in
    SESSION_MANAGER=local/*) ;;
    *) fail "the session manager listens at '$address'" ;;
esac

mkdir "$work/run"
printf 'CREATOR=Brindlecot 1.0\r\nST=Calc\r\nURL=calc.exe\r\nSORTORDER=01\r\n' >"$work/run/brcot.dat"
start_program "$work/run" "${address?}" ICEAUTHORITY="$work/iceauthority" QT_QPA_PLATFORM=xcb
expect registered
find_main_window
wait_for 100 bash -c "xwininfo -tree -id $tray | grep -q '\"brindlecot\"'" ||
    fail "the icon did not dock in the tray"
running() { ! process_gone "$app"; }

# An entry typed as a user does (the focus starts in the title field), then Add.
focus_main_window
xdotool type --delay 20 "Web"
xdotool key Tab
xdotool type --delay 20 "https://web.example/"
xdotool key Tab
xdotool type --delay 20 "02"
xdotool key Tab Tab Tab Tab space

# A checkpoint: the file is written (once the Add above has been taken, which the keyboard's
# path does not say), and the program runs on.
saved_with() {
    tell save
    expect "saved 1"
    grep -q "$1" "$work/run/brcot.dat"
}
wait_for 50 saved_with 'ST=Web' || fail "the checkpoint did not write the new entry"
running || fail "the program ended at a checkpoint"

# The user picks a row, which fills the fields; the window as it is then.
eval "$(xdotool getwindowgeometry --shell "$window")"
area="${WIDTH}x${HEIGHT}+${X}+${Y}"
xdotool mousemove --window "$window" 60 112 click 1  # the second row
capture_settled "$work/before.png" -window root -crop "$area"
cp "$work/before.png" "$shots/xsmp-before-checkpoint.png"
tell save
expect "saved 1"
running || fail "the program ended at the second checkpoint"
capture_settled "$work/after.png" -window root -crop "$area"
cp "$work/after.png" "$shots/xsmp-after-checkpoint.png"
differing=$(compare -metric AE "$work/before.png" "$work/after.png" null: 2>&1) || true
[ "$differing" = 0 ] || fail "the checkpoint changed $differing pixels of the window"
bash -c "xwininfo -tree -id $tray | grep -q '\"brindlecot\"'" ||
    fail "the tray icon went at the checkpoint"
shown_windows=$(xdotool search --onlyvisible --class brindlecot | wc -l)  # with the icon's
expected_two=$'CREATOR=Brindlecot 1.0\r\nST=Web\r\nURL=https://web.example/\r\nSORTORDER=02\r\n\r\nST=Calc\r\nURL=calc.exe\r\nSORTORDER=01\r\n'
expect_bytes "$work/run/brcot.dat" "$expected_two" "brcot.dat after the checkpoint differs"

# A logout that the user cancels: saved, still running, nothing asked.
rm "$work/run/brcot.dat"
tell logout
expect "saved 1"
expect_bytes "$work/run/brcot.dat" "$expected_two" "the logout's save differs"
tell cancel
expect cancelled
# One more checkpoint, answered, shows that the program took the cancellation and runs on.
tell save
expect "saved 1"
running || fail "the program ended after a cancelled logout"
window_state "$window" IsViewable || fail "the window went after a cancelled logout"
[ "$(xdotool search --onlyvisible --class brindlecot | wc -l)" -eq "$shown_windows" ] ||
    fail "a window of the program showed (a box?)"

# The session's end alone, with the file gone meanwhile: it is written again, whole, and the
# program is gone.
rm "$work/run/brcot.dat"
tell die
expect_exit "$app" "at the session's end"
expect closed
expect_bytes "$work/run/brcot.dat" "$expected_two" "the session's end did not write the list"
grep -q 'Session management error' "$work/program.log" && fail "Qt did not reach the session manager"
echo "PASS (checkpoint, cancelled logout, session end; screenshots in $shots)"
