#!/usr/bin/env bash
# The real brindlecot.exe under Wine, with a real keyboard and pointer: a prepared brcot.dat,
# an entry typed and added, the About box, the tray menu opened with the right button on the
# tray and an item chosen, Escape, and the file's bytes compared; then a second run ended with
# the frame's close box. Screenshots of the main window, the About box and the tray menu are
# left in OUT_DIR for a person to look at.
#   wine_e2e.sh WINE_RUN EXE WINE_DIR OUT_DIR
set -euo pipefail
run=$1
exe=$2
winedir=$3
out=$4
mkdir -p "$out"
export DISPLAY
DISPLAY=$(cat "$winedir/display")
export WINEPREFIX="$winedir/prefix"

# shellcheck source=tests/support/test_helpers.sh
source "$(dirname "${BASH_SOURCE[0]}")/../../support/test_helpers.sh"
on_failure() { import -window root "$out/failure.png" 2>/dev/null || true; }
new_work_dir

# A web address goes to the desktop's opener: record it instead of opening a browser.
make_opener
mkdir "$work/run"
program=$exe

printf 'CREATOR=Brindlecot 1.0\r\nST=Alpha\r\nURL=http://alpha.example/\r\nSORTORDER=01\r\n' \
    >"$work/run/brcot.dat"
printf 'ST=Beta\r\nURL=beta.exe\r\nSORTORDER=02\r\n' >>"$work/run/brcot.dat"

start_program "$work/run" "$run"
wait_for 300 xdotool search --name '^Brindlecot $' || fail "the main window did not appear"
main=$(xdotool search --name '^Brindlecot $' | head -n1)
xdotool windowactivate --sync "$main"
capture_settled "$out/main-window.png" -window "$main"

# The focus starts in the title field; Tab follows the template's order.
xdotool type --delay 20 'Gamma site'
xdotool key Tab
xdotool type --delay 20 'http://gamma.example/'
xdotool key Tab
xdotool type --delay 20 '03'
# "Add" at 260,37 (50x14) in dialog units; base units 7x13 px with MS Sans Serif 8.
xdotool mousemove --window "$main" $(((260 + 25) * 7 / 4)) $(((37 + 7) * 13 / 8)) click 1
wait_for 50 sh -c "xdotool getwindowname $main >/dev/null" || fail "main window lost"

# The About box: the last item of the system menu, a popup window of the program's class.
other_popup() {
    local w
    for w in $(xdotool search --onlyvisible --class brindlecot.exe 2>/dev/null); do
        if [ "$w" != "$main" ]; then
            echo "$w"
            return 0
        fi
    done
    return 1
}
xdotool key alt+space
wait_for 50 other_popup || fail "the system menu did not open"
xdotool key Up Return
wait_for 50 xdotool search --name '^About Brindlecot$' || fail "the About box did not open"
about=$(xdotool search --name '^About Brindlecot$' | head -n1)
capture_settled "$out/about-box.png" -window "$about"
xdotool windowactivate --sync "$about" key Return
wait_for 50 sh -c "! xdotool search --name '^About Brindlecot$'" || fail "About stayed open"

# The tray menu: a right click on the icon in Wine's own tray window. (Docked in trayer
# here, the icon was never painted and took no clicks.) Its rows are listed bottom up, so the
# bottom item is row 0, "Alpha".
wait_for 50 xdotool search --name '^Wine System Tray$' || fail "no tray window"
tray=$(xdotool search --name '^Wine System Tray$' | head -n1)
xdotool windowactivate --sync "$tray"
xdotool mousemove --window "$tray" 10 10 click 3
wait_for 50 other_popup || fail "the tray menu did not open"
menu=$(other_popup)
capture_settled "$out/tray-menu.png" -window root
eval "$(xdotool getwindowgeometry --shell "$menu")"
[ "$HEIGHT" -gt 40 ] || fail "the tray menu has fewer than three items (${HEIGHT} px)"
xdotool mousemove --sync --window "$menu" $((WIDTH / 2)) $((HEIGHT - 10)) click 1
wait_for 50 opener_called_more_than 0 || fail "choosing a tray item opened nothing"
expect_opened $'http://alpha.example/\n--end--'

xdotool windowactivate --sync "$main" key Escape
wait_for 100 process_gone "$app" || fail "Escape did not end the program"

# The writer stores the rows from the last to the first.
expect_bytes "$work/run/brcot.dat" $'CREATOR=Brindlecot 1.0\r\nST=Gamma site\r\nURL=http://gamma.example/\r\nSORTORDER=03\r\n\r\nST=Beta\r\nURL=beta.exe\r\nSORTORDER=02\r\n\r\nST=Alpha\r\nURL=http://alpha.example/\r\nSORTORDER=01\r\n'

# Again, ended with a click on the close box of the window manager's frame: the run ends and
# writes the file (bottom row first, so the bytes change).
mkdir "$work/close"
printf 'CREATOR=Brindlecot 1.0\r\nST=One\r\nURL=one.exe\r\nSORTORDER=01\r\n' \
    >"$work/close/brcot.dat"
printf 'ST=Two\r\nURL=two.exe\r\nSORTORDER=02\r\n' >>"$work/close/brcot.dat"
start_program "$work/close" "$run"
wait_for 300 xdotool search --name '^Brindlecot $' || fail "the main window did not appear again"
main=$(xdotool search --name '^Brindlecot $' | head -n1)
xdotool windowactivate --sync "$main"
# The close box is the last button of the title bar, the frame's top extent high, at the
# right-hand end above the client area (whose place xwininfo gives, frame excluded).
left=$(xwininfo -id "$main" | awk '/Absolute upper-left X/ {print $4}')
top=$(xwininfo -id "$main" | awk '/Absolute upper-left Y/ {print $4}')
right=$((left + $(xwininfo -id "$main" | awk '/Width:/ {print $2}')))
bar=$(xprop -id "$main" _NET_FRAME_EXTENTS | sed 's/.*= //' | cut -d, -f3 | tr -d ' ')
if [ -z "$bar" ] || [ "$bar" -le 4 ]; then
    fail "the main window has no title bar ('$bar')"
fi
xdotool mousemove --sync $((right - bar / 2)) $((top - bar / 2)) click 1
wait_for 100 process_gone "$app" || fail "the close box did not end the program"
expect_bytes "$work/close/brcot.dat" $'CREATOR=Brindlecot 1.0\r\nST=Two\r\nURL=two.exe\r\nSORTORDER=02\r\n\r\nST=One\r\nURL=one.exe\r\nSORTORDER=01\r\n'
echo "PASS: screenshots in $out"
