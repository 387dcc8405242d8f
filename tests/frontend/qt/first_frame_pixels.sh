#!/usr/bin/env bash
# The first frame of the main window, drawn by this build and by a reference build (first_frame_shot
# built from another commit, in a build directory of its own), must be the same pixel for pixel:
# offscreen and on an X server (Xvfb), for an empty entry file, 50 entries, and 50 entries in
# ascending order with texts in UTF-8, in a Windows code page and wider than their columns.
# Run by hand after a change that could move a pixel:
#   first_frame_pixels.sh SHOT REFERENCE_SHOT OUTDIR
set -euo pipefail
shot=$1
reference=$2
out=$3
rm -rf "$out"
mkdir -p "$out"
# shellcheck source=tests/support/xvfb_session.sh
source "$(dirname "${BASH_SOURCE[0]}")/../../support/xvfb_session.sh"
new_work_dir
mkdir -m 700 "$work/runtime"
export XDG_RUNTIME_DIR=$work/runtime

# The entry files.
mkdir "$work/empty" "$work/fifty" "$work/mixed"
: >"$work/empty/brcot.dat"
fifty_entries >"$work/fifty/brcot.dat"
{
    printf 'CREATOR=Brindlecot 1.0\r\n'
    for i in $(seq 1 50); do
        case $((i % 5)) in
            0) title='Caf\xc3\xa9 \xe2\x82\xac \xe6\x97\xa5\xe6\x9c\xac' ;;  # UTF-8, CJK
            1) title='Caf\xe9 \x80 \xff' ;;                                 # not UTF-8
            2) title='A title far too long to fit its column without the list scrolling sideways' ;;
            3) title='  leading blanks' ;;
            *) title="Plain $i" ;;
        esac
        printf "ST=${title} %d\r\nURL=C:\\\\Program Files\\\\App %d\\\\app.exe\r\nSORTORDER=%02d\r\n" \
            "$i" "$i" "$i"
    done
} >"$work/mixed/brcot.dat"

failures=0
# Runs both builds in each case's directory on the current platform and compares.
compare_all() {
    local platform=$1 case dir
    for case in empty fifty mixed; do
        dir=$work/$case
        cp "$dir/brcot.dat" "$dir/brcot.dat.orig"
        (cd "$dir" && "$shot" "$out/$platform-$case.png")
        cp "$dir/brcot.dat.orig" "$dir/brcot.dat"
        (cd "$dir" && "$reference" "$out/$platform-$case-reference.png")
        cp "$dir/brcot.dat.orig" "$dir/brcot.dat"
        if "$shot" compare "$out/$platform-$case.png" "$out/$platform-$case-reference.png"; then
            echo "same pixels: $platform, $case"
        else
            echo "DIFFERENT: $platform, $case (see $out)" >&2
            failures=$((failures + 1))
        fi
    done
}

QT_QPA_PLATFORM=offscreen compare_all offscreen

if command -v Xvfb >/dev/null; then
    start_display -n
    QT_QPA_PLATFORM=xcb compare_all xcb
else
    echo "Xvfb is not installed: only the offscreen frames were compared"
fi

[ "$failures" -eq 0 ]
