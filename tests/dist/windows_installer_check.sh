#!/usr/bin/env bash
# Checks the Windows installer and zip under Wine, as a user would meet them:
#   windows_installer_check.sh SETUP.exe ZIP WORK_DIR
# The installer runs silently (/S) in a Wine prefix of WORK_DIR's own, then again over that
# install with the sign-in shortcut chosen; the installed program starts through its
# Start-menu shortcut, must show its window and, once closed, must have read
# and rewritten the brcot.dat prepared in the shortcut's working folder; the silent uninstaller
# must then remove everything it installed and leave that brcot.dat as it was. All of it
# happens in that prefix, on a display of its own: nothing outside WORK_DIR changes.
set -euo pipefail

[ $# -eq 3 ] || { echo "usage: $0 SETUP.exe ZIP WORK_DIR" >&2; exit 2; }
setup=$(realpath "$1")
zip=$(realpath "$2")
work=$(realpath -m "$3")
mkdir -p "$work"

# shellcheck source=tests/support/xvfb_session.sh
source "$(dirname "${BASH_SOURCE[0]}")/../support/xvfb_session.sh"

# ---- The zip: the program, README and licence in one folder named after the package ----
name=$(basename "$zip" .zip)
listing=$(unzip -Z1 "$zip" | sort)
expected=$(printf '%s/LICENSE.txt\n%s/README.txt\n%s/brindlecot.exe\n' "$name" "$name" "$name" |
    sort)
if [ "$listing" != "$expected" ]; then
    printf 'zip holds:\n%s\nexpected:\n%s\n' "$listing" "$expected" >&2
    fail "the zip does not hold exactly the program, README.txt and LICENSE.txt"
fi
echo "zip: $(basename "$zip") holds brindlecot.exe, README.txt, LICENSE.txt"

# ---- A display with a window manager: without one Wine waits on every window teardown ----
cleanup() {
    local status=$?
    if [ -n "${WINEPREFIX:-}" ]; then wineserver -k 2>/dev/null || true; fi
    stop_helpers
    exit $status
}
trap cleanup EXIT
start_display

# The prefix is WORK_DIR's own. Wine's menu builder would turn the installer's Start-menu
# shortcuts (and the prefix's file associations) into menu entries in the user's own ~/.local
# and ~/.config: it is switched off, so that the check leaves the machine as it was.
export WINEPREFIX="$work/prefix" WINEDEBUG=-all WINEARCH=win64 \
    WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
if [ ! -f "$WINEPREFIX/system.reg" ]; then
    echo "Creating a Wine prefix in $WINEPREFIX..."
    wineboot -i >/dev/null 2>&1
fi

winvar() { wine cmd /c echo "%$1%" 2>/dev/null | tr -d '\r'; }
appdata=$(winepath -u "$(winvar APPDATA)")
localappdata=$(winepath -u "$(winvar LOCALAPPDATA)")
programs=$(winepath -u "$(winvar APPDATA)\\Microsoft\\Windows\\Start Menu\\Programs")
instdir="$localappdata/Programs/Brindlecot"
listdir="$appdata/Brindlecot"
shortcut="$programs/Brindlecot.lnk"
# winepath gives the folder as it is spelled on disk ("StartUp" in Wine's prefixes).
autostart="$(winepath -u "$(winvar APPDATA)\\Microsoft\\Windows\\Start Menu\\Programs\\Startup")/Brindlecot.lnk"
key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Brindlecot'

# A run that failed half-way may have left an install behind.
rm -rf "$instdir" "$listdir" "$shortcut" "$autostart"
wine reg delete "$key" /f >/dev/null 2>&1 || true

# The user's list from an earlier install, dated long ago: a rewrite shows in its time.
mkdir -p "$listdir"
printf 'CREATOR=Brindlecot 1.0\r\nST=Mail\r\nURL=http://mail.example.org/\r\nSORTORDER=01\r\n' \
    >"$listdir/brcot.dat"
cp "$listdir/brcot.dat" "$work/brcot.expected"
touch -d '2000-01-01 00:00:00' "$listdir/brcot.dat"

# ---- Silent install ----
echo "Installing $(basename "$setup") silently..."
wine "$setup" /S || fail "the installer returned $?"
installed=$(cd "$instdir" && ls | sort | tr '\n' ' ')
[ "$installed" = "LICENSE.txt README.txt Uninstall.exe brindlecot.exe " ] ||
    fail "the program folder holds: $installed"
[ -f "$shortcut" ] || fail "no Start-menu shortcut at $shortcut"
[ ! -e "$autostart" ] || fail "the sign-in shortcut was made though it is not chosen by default"
wine reg query "$key" /v DisplayVersion 2>/dev/null | tr -d '\r' | grep -q "REG_SZ" ||
    fail "no uninstall entry for this user"
cmp -s "$listdir/brcot.dat" "$work/brcot.expected" || fail "the installer changed brcot.dat"

# ---- Installed again over itself, now with the sign-in shortcut ----
wine "$setup" /S /STARTATSIGNIN || fail "the installer returned $? when run again"
[ -f "$autostart" ] || fail "/STARTATSIGNIN made no sign-in shortcut at $autostart"
# The working folder is kept in the shortcut as UTF-16 text after a one-unit length.
strings -el "$autostart" | grep -iF "$(winvar APPDATA)\\Brindlecot" | grep -qi 'Roaming\\Brindlecot$' ||
    fail "the sign-in shortcut does not start Brindlecot in %APPDATA%\\Brindlecot"
installed=$(cd "$instdir" && ls | sort | tr '\n' ' ')
[ "$installed" = "LICENSE.txt README.txt Uninstall.exe brindlecot.exe " ] ||
    fail "after the second install the program folder holds: $installed"
cmp -s "$listdir/brcot.dat" "$work/brcot.expected" || fail "the second install changed brcot.dat"

# ---- Start through the shortcut, wait for the window, close it ----
window_id() { xdotool search --onlyvisible --name '^Brindlecot' | head -n 1; }
has_window() { [ -n "$(window_id)" ]; }
wine start "$(winepath -w "$shortcut")" >/dev/null 2>&1 || fail "the shortcut did not start"
wait_for 600 has_window || fail "the installed program showed no window within 60 s"
win=$(window_id)
echo "The installed program shows its window ($(xdotool getwindowname "$win"))."
import -display "$DISPLAY" -window root "$work/installed-program.png" 2>/dev/null || true
xdotool windowactivate --sync "$win" >/dev/null 2>&1 || true
xdotool key --clearmodifiers Escape
rewritten() { [ "$(stat -c %Y "$listdir/brcot.dat")" -gt 946684800 ]; }
wait_for 300 rewritten || fail "closing the program did not write brcot.dat in its working folder"
wait_for 300 bash -c '! xdotool search --onlyvisible --name "^Brindlecot" | grep -q .' ||
    fail "the program's window stayed after Escape"
cmp -s "$listdir/brcot.dat" "$work/brcot.expected" ||
    fail "the program did not read the brcot.dat of its working folder (its rewrite differs)"
echo "It read and rewrote $listdir/brcot.dat unchanged."

# ---- Silent uninstall ----
# The uninstaller copies itself elsewhere and runs from there, so wait for its effect.
wine "$instdir/Uninstall.exe" /S || fail "the uninstaller returned $?"
gone() { [ ! -e "$instdir" ]; }
wait_for 600 gone || fail "the program folder is still there: $(ls "$instdir" | tr '\n' ' ')"
[ ! -e "$shortcut" ] || fail "the Start-menu shortcut is still there"
[ ! -e "$autostart" ] || fail "the sign-in shortcut is still there"
if wine reg query "$key" >/dev/null 2>&1; then fail "the uninstall entry is still there"; fi
cmp -s "$listdir/brcot.dat" "$work/brcot.expected" || fail "the uninstaller changed brcot.dat"
echo "Uninstalled; $listdir/brcot.dat is left as it was."
echo "Windows installer check passed."
