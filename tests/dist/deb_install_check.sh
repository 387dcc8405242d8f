#!/usr/bin/env bash
# Checks the Debian package as a user meets it:
#   deb_install_check.sh PACKAGE.deb PAINT_PROBE_DIR WORK_DIR
# lintian, then `apt-get install ./PACKAGE.deb` on this machine; the installed menu entry,
# metainfo and manual page must validate, and the program, started the way the menu entry
# starts it, must paint its window (offscreen) and work on ~/brcot.dat; then the package is
# removed again. PAINT_PROBE_DIR is the build of tests/dist/paint_probe. Needs root or sudo.
set -euo pipefail

[ $# -eq 3 ] || { echo "usage: $0 PACKAGE.deb PAINT_PROBE_DIR WORK_DIR" >&2; exit 2; }
deb=$(realpath "$1")
probe_dir=$(realpath "$2")
work=$(realpath -m "$3")
app_id=org.brindlecot.Brindlecot

fail() { echo "FAILED: $*" >&2; exit 1; }

# shellcheck source=tests/support/waits.sh
source "$(dirname "${BASH_SOURCE[0]}")/../support/waits.sh"

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
package=$(dpkg-deb -f "$deb" Package)

# ---- lintian: no errors and no warnings, except this one, which is about Debian's own
# archive: a first upload there closes its "intent to package" bug. This package is built by
# the project for its users and has no such bug to close.
echo "lintian $(basename "$deb")..."
lintian --fail-on error,warning --suppress-tags initial-upload-closes-no-bugs "$deb" ||
    fail "lintian found errors or warnings"

# The library dependencies come from dpkg-shlibdeps: Qt and the C++ runtime must be there.
depends=$(dpkg-deb -f "$deb" Depends)
for lib in libc6 libstdc++6 libqt6widgets6; do
    grep -q "\b$lib\b" <<<"$depends" || fail "Depends lacks $lib: $depends"
done

# ---- Install; whatever happens below, the package is removed again ----
rm -rf "$work"
mkdir -p "$work/home" "$work/elsewhere"
pid=""
cleanup() {
    local status=$?
    [ -z "$pid" ] || kill -KILL "$pid" 2>/dev/null || true
    if dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'ok installed'; then
        DEBIAN_FRONTEND=noninteractive $sudo apt-get purge -y -qq "$package" >/dev/null || true
    fi
    exit $status
}
trap cleanup EXIT

echo "apt-get install $(basename "$deb")..."
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "$deb" \
    >"$work/apt-install.log" 2>&1 || { cat "$work/apt-install.log"; fail "apt-get install"; }

desktop=/usr/share/applications/$app_id.desktop
metainfo=/usr/share/metainfo/$app_id.metainfo.xml
for f in /usr/bin/brindlecot "$desktop" "$metainfo" /usr/share/man/man1/brindlecot.1.gz \
    /usr/share/icons/hicolor/scalable/apps/brindlecot.svg \
    /usr/share/icons/hicolor/48x48/apps/brindlecot.png /usr/share/doc/"$package"/copyright; do
    [ -f "$f" ] || fail "the package did not install $f"
done
desktop-file-validate "$desktop" || fail "desktop-file-validate $desktop"
appstreamcli validate --no-net "$metainfo" >"$work/appstream.log" 2>&1 ||
    { cat "$work/appstream.log"; fail "appstreamcli validate $metainfo"; }
man_warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l /usr/share/man/man1/brindlecot.1.gz \
    2>&1 >/dev/null)
[ -z "$man_warnings" ] || fail "the manual page has warnings: $man_warnings"
[ "$(command -v brindlecot)" = /usr/bin/brindlecot ] ||
    fail "brindlecot on PATH is $(command -v brindlecot), not the installed one"

# ---- Start it as the menu does: the Exec line, from some other directory, with HOME set ----
exec_line=$(sed -n 's/^Exec=//p' "$desktop")
case $exec_line in
    *%*) fail "the Exec line takes arguments: $exec_line" ;;
esac
# With no field codes and no backslashes, the entry's quoting is the shell's.
eval "set -- $exec_line"

printf 'CREATOR=Brindlecot 1.0\r\nST=Mail\r\nURL=http://mail.example.org/\r\nSORTORDER=01\r\n' \
    >"$work/home/brcot.dat"
cp "$work/home/brcot.dat" "$work/brcot.expected"
touch -d '2000-01-01 00:00:00' "$work/home/brcot.dat"

(cd "$work/elsewhere" && exec env HOME="$work/home" XDG_RUNTIME_DIR="$work" \
    QT_QPA_PLATFORM=offscreen QT_PLUGIN_PATH="$probe_dir" QT_STYLE_OVERRIDE=paintprobe \
    BRINDLECOT_PAINT_PROBE="$work/first-paint" "$@" >"$work/program.log" 2>&1) &
pid=$!
painted() { [ -s "$work/first-paint" ]; }
if ! wait_for 300 painted; then
    cat "$work/program.log" >&2
    fail "the installed program did not paint a window within 30 s"
fi
title=$(cat "$work/first-paint")
case $title in
    Brindlecot*) ;;
    *) fail "the first window painted is \"$title\", not Brindlecot's" ;;
esac
echo "The installed program painted its window (\"$title\")."

# An orderly end writes the list back: the same bytes show that it read ~/brcot.dat.
kill -TERM "$pid"
status=0
wait "$pid" || status=$?
pid=""
[ "$status" -eq 0 ] || { cat "$work/program.log" >&2; fail "the program exited with $status"; }
[ "$(stat -c %Y "$work/home/brcot.dat")" -gt 946684800 ] ||
    fail "the program did not write ~/brcot.dat when it ended"
cmp -s "$work/home/brcot.dat" "$work/brcot.expected" ||
    fail "~/brcot.dat changed: the program did not read it at start-up"
[ -z "$(ls -A "$work/elsewhere")" ] ||
    fail "the program wrote into the directory it was launched from: $(ls -A "$work/elsewhere")"
echo "It worked on ~/brcot.dat, whatever directory it was launched from."

# ---- Remove ----
DEBIAN_FRONTEND=noninteractive $sudo apt-get purge -y -qq "$package" >/dev/null
[ ! -e /usr/bin/brindlecot ] && [ ! -e "$desktop" ] || fail "apt-get purge left files behind"
cmp -s "$work/home/brcot.dat" "$work/brcot.expected" || fail "removing the package changed brcot.dat"
echo "Removed again; Debian package check passed."
