#!/usr/bin/env bash
# Installs what is missing (Debian 12), then builds and runs every test, one stage after the
# other: the core's tests, the entry file's two fuzzers for a bounded time, the Qt front end's
# tests (offscreen and under Xvfb), its installation, the Windows program's tests under Wine,
# and the packages a user installs, each checked and started (tools/package.sh; the .deb is
# installed and removed again only in CI). The benchmarks are built, not run.
#
# tools/test.sh              every stage, in order
# tools/test.sh core qt      only these stages
#
# A new stage is a function named stage_NAME, added to STAGES below.
set -euo pipefail
cd "$(dirname "$0")/.."

# shellcheck source=tools/packages.sh
source tools/packages.sh

jobs=$(nproc 2>/dev/null || echo 2)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# The core and its tests: no GUI package is needed.
stage_core() {
    ensure_packages "${CORE_PACKAGES[@]}" "${DIST_CHECK_PACKAGES[@]}"
    cmake --preset core >/dev/null
    cmake --build --preset core -j "$jobs"
    ctest --preset core -j "$jobs"
}

# The fuzzers, built with AddressSanitizer and UndefinedBehaviorSanitizer, each run for a
# bounded time on a scratch copy of the seed corpus (the repository stays as it was): the byte
# rules alone, the text shown for bytes, then the whole start-up and end of a run. Any crash, leak, undefined behaviour,
# time-out or memory excess fails the script; its input is kept in build/fuzz/artifacts/.
# tools/fuzz.sh runs them for as long as one likes.
stage_fuzz() {
    tools/fuzz.sh -s -t "${BRINDLECOT_FUZZ_SECONDS:-25}"
}

# The Qt front end: its offscreen tests and the end-to-end run under Xvfb. The core's tests,
# built here too, already ran in the core stage.
stage_qt() {
    ensure_packages "${CORE_PACKAGES[@]}" "${QT_PACKAGES[@]}" "${GUI_TEST_PACKAGES[@]}"
    cmake --preset qt >/dev/null
    cmake --build --preset qt -j "$jobs"
    ctest --preset qt -j "$jobs"
}

# What a packager gets: the program, its desktop entry, icons, metainfo and manual page, under a
# scratch prefix.
stage_install() {
    [ -f build/qt/CMakeCache.txt ] || stage_qt
    local prefix="$work/prefix"
    cmake --install build/qt --prefix "$prefix" >/dev/null
    local f missing=0
    for f in bin/brindlecot share/applications/org.brindlecot.Brindlecot.desktop \
            share/icons/hicolor/scalable/apps/brindlecot.svg \
            share/icons/hicolor/48x48/apps/brindlecot.png \
            share/metainfo/org.brindlecot.Brindlecot.metainfo.xml share/man/man1/brindlecot.1.gz; do
        [ -f "$prefix/$f" ] || { echo "FAILED: the installation has no $f" >&2; missing=1; }
    done
    [ -x "$prefix/bin/brindlecot" ] || { echo "FAILED: bin/brindlecot is not executable" >&2; missing=1; }
    [ "$missing" -eq 0 ] &&
        echo "Installation: program, desktop entry, icons, metainfo and manual page in place."
    return "$missing"
}

# The Windows program: cross-built with mingw-w64, the core's tests and its own run under Wine
# (in Xvfb with openbox), with a black-box run of brindlecot.exe.
stage_win32() {
    ensure_packages "${BUILD_PACKAGES[@]}" "${WIN32_BUILD_PACKAGES[@]}" "${WIN32_TEST_PACKAGES[@]}"
    cmake --preset win32 >/dev/null
    cmake --build --preset win32 -j "$jobs"
    ctest --preset win32 -j "$jobs"
}

# The Debian package and, with the Windows front end in the tree, the Windows zip and installer.
stage_package() {
    tools/package.sh
}

STAGES=(core fuzz qt install win32 package)

selected=("$@")
[ ${#selected[@]} -gt 0 ] || selected=("${STAGES[@]}")
for stage in "${selected[@]}"; do
    if ! declare -F "stage_$stage" >/dev/null; then
        echo "No stage '$stage'; the stages are: ${STAGES[*]}" >&2
        exit 2
    fi
done
for stage in "${selected[@]}"; do
    echo "==== $stage"
    started=$SECONDS
    "stage_$stage"
    echo "==== $stage: done in $((SECONDS - started)) s"
done
