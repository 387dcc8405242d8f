#!/usr/bin/env bash
# Checks the Debian package as a user meets it:
#   deb_install_check.sh PACKAGE.deb PAINT_PROBE_DIR WORK_DIR
# lintian and the package's dependencies; the menu entry, metainfo and manual page it installs
# must validate; and the program, started the way the menu entry starts it, must paint its
# window (offscreen) and work on ~/brcot.dat. PAINT_PROBE_DIR is the build of
# tests/dist/paint_probe.
#
# Where the package goes depends on the machine. Installing it with apt and removing it again
# would take away a Brindlecot the user has installed, so that is done only in CI (CI=true), on
# a machine that is thrown away after the run, and only where no Brindlecot is installed (root
# or sudo). Anywhere else the package is unpacked into WORK_DIR (dpkg-deb -x), apt is asked
# whether it would install it (a simulation, which changes nothing), and the program runs from
# the unpacked copy: the machine is left as it was.
set -euo pipefail

[ $# -eq 3 ] || { echo "usage: $0 PACKAGE.deb PAINT_PROBE_DIR WORK_DIR" >&2; exit 2; }
deb=$(realpath "$1")
probe_dir=$(realpath "$2")
work=$(realpath -m "$3")
app_id=org.brindlecot.Brindlecot

# shellcheck source=tests/support/test_helpers.sh
source "$(dirname "${BASH_SOURCE[0]}")/../support/test_helpers.sh"

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
package=$(dpkg-deb -f "$deb" Package)
installed_here() { dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'ok installed'; }

mode=unpacked
if [ "${CI:-}" = true ]; then
    if installed_here; then
        echo "$package is installed on this machine: checking an unpacked copy, not installing over it."
    else
        mode=installed
    fi
fi

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

# Everything the package holds goes under /usr.
outside=$(dpkg-deb -c "$deb" | awk '{print $6}' | grep -v -e '^\./$' -e '^\./usr/' || true)
[ -z "$outside" ] || fail "the package installs outside /usr: $outside"

rm -rf "$work"
mkdir -p "$work/home" "$work/elsewhere"
pid=""
cleanup() {
    local status=$?
    [ -z "$pid" ] || kill -KILL "$pid" 2>/dev/null || true
    if [ "$mode" = installed ] && installed_here; then
        DEBIAN_FRONTEND=noninteractive $sudo apt-get purge -y -qq "$package" >/dev/null || true
    fi
    exit $status
}
trap cleanup EXIT

# ---- Install, or unpack; `root` is where the package's files are ----
if [ "$mode" = installed ]; then
    root=""
    echo "apt-get install $(basename "$deb") (CI)..."
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "$deb" \
        >"$work/apt-install.log" 2>&1 || { cat "$work/apt-install.log"; fail "apt-get install"; }
    search_path=$PATH
else
    root="$work/root"
    echo "dpkg-deb -x $(basename "$deb") into $root (nothing is installed on this machine)..."
    dpkg-deb -x "$deb" "$root"
    # apt would install it here: its dependencies are there or can be had. Nothing changes.
    apt-get -s -qq --no-install-recommends install "$deb" >"$work/apt-simulate.log" 2>&1 ||
        { cat "$work/apt-simulate.log"; fail "apt-get would not install the package"; }
    missing=$(LC_ALL=C ldd "$root/usr/bin/brindlecot" | grep 'not found' || true)
    [ -z "$missing" ] || fail "libraries the program needs are not on this machine: $missing"
    search_path="$root/usr/bin:$PATH"
fi

desktop=$root/usr/share/applications/$app_id.desktop
metainfo=$root/usr/share/metainfo/$app_id.metainfo.xml
for f in "$root/usr/bin/brindlecot" "$desktop" "$metainfo" "$root/usr/share/man/man1/brindlecot.1.gz" \
    "$root/usr/share/icons/hicolor/scalable/apps/brindlecot.svg" \
    "$root/usr/share/icons/hicolor/48x48/apps/brindlecot.png" \
    "$root/usr/share/doc/$package/copyright"; do
    [ -f "$f" ] || fail "the package did not install $f"
done
[ -x "$root/usr/bin/brindlecot" ] || fail "the program is not executable"
desktop-file-validate "$desktop" || fail "desktop-file-validate $desktop"
appstreamcli validate --no-net "$metainfo" >"$work/appstream.log" 2>&1 ||
    { cat "$work/appstream.log"; fail "appstreamcli validate $metainfo"; }
man_warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$root/usr/share/man/man1/brindlecot.1.gz" \
    2>&1 >/dev/null)
[ -z "$man_warnings" ] || fail "the manual page has warnings: $man_warnings"
[ "$(PATH=$search_path command -v brindlecot)" = "$root/usr/bin/brindlecot" ] ||
    fail "brindlecot on PATH is $(PATH=$search_path command -v brindlecot), not the package's"

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

(cd "$work/elsewhere" && exec env PATH="$search_path" HOME="$work/home" XDG_RUNTIME_DIR="$work" \
    XDG_STATE_HOME="$work/state" QT_QPA_PLATFORM=offscreen QT_PLUGIN_PATH="$probe_dir" \
    QT_STYLE_OVERRIDE=paintprobe BRINDLECOT_PAINT_PROBE="$work/first-paint" "$@" \
    >"$work/program.log" 2>&1) &
pid=$!
painted() { [ -s "$work/first-paint" ]; }
if ! wait_for 300 painted; then
    cat "$work/program.log" >&2
    fail "the package's program did not paint a window within 30 s"
fi
title=$(cat "$work/first-paint")
case $title in
    Brindlecot*) ;;
    *) fail "the first window painted is \"$title\", not Brindlecot's" ;;
esac
echo "The package's program painted its window (\"$title\")."

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
if [ "$mode" = installed ]; then
    DEBIAN_FRONTEND=noninteractive $sudo apt-get purge -y -qq "$package" >/dev/null
    [ ! -e /usr/bin/brindlecot ] && [ ! -e "$desktop" ] || fail "apt-get purge left files behind"
    cmp -s "$work/home/brcot.dat" "$work/brcot.expected" ||
        fail "removing the package changed brcot.dat"
    echo "Removed again; Debian package check passed (installed with apt, CI)."
else
    echo "Debian package check passed (unpacked in $root; this machine was not changed)."
fi
