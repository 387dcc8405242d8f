#!/usr/bin/env bash
# Builds the Qt front end's start-up benchmark in a Release build and prints its figures
# offscreen and under Xvfb: times to the first complete frame, peak and idle memory, and
# instruction counts (callgrind) against a bare QDialog, the same widgets with no content, and
# the same widgets showing the same 50 rows with stock Qt; then the tray menu's benchmark (a right
# press and a StatusNotifierItem host's AboutToShow, against a minimal Qt tray program).
#   tools/bench.sh [runs] [--no-valgrind] [--before OTHER_BENCH]
# 15 runs of each kind when not given; OTHER_BENCH, the benchmark built from an earlier commit,
# adds that build's figures from the same rounds.
set -euo pipefail
cd "$(dirname "$0")/.."
# shellcheck source=tools/packages.sh
source tools/packages.sh
ensure_packages "${CORE_PACKAGES[@]}" "${QT_PACKAGES[@]}" "${BENCH_PACKAGES[@]}"
cmake -S . -B build/bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DBRINDLECOT_FRONTEND=qt \
    -DBRINDLECOT_BUILD_BENCHMARKS=ON -DBRINDLECOT_BUILD_TESTS=OFF >/dev/null
cmake --build build/bench -j "$(nproc 2>/dev/null || echo 2)" --target qt_startup_bench \
    qt_tray_menu_bench
bench=build/bench/benchmarks/qt_startup_bench
args=("$@")
[ ${#args[@]} -eq 0 ] && args=(15)
runtime=$(mktemp -d)
trap 'rm -rf "$runtime"' EXIT
export XDG_RUNTIME_DIR=$runtime
QT_QPA_PLATFORM=offscreen "$bench" "${args[@]}"
xvfb-run --server-num=160 --auto-servernum -s "-screen 0 1024x768x24 -noreset" \
    env QT_QPA_PLATFORM=xcb "$bench" "${args[@]}"
# The tray menu under Xvfb, on a session bus of its own where the benchmark is the desktop's
# StatusNotifierItem watcher and host; the run count is its number of openings, and it has no
# --before.
tray_args=()
skip=0
for a in "${args[@]}"; do
    if [ "$skip" = 1 ]; then
        skip=0
    elif [ "$a" = --before ]; then
        skip=1
    else
        tray_args+=("$a")
    fi
done
dbus-run-session -- xvfb-run --server-num=161 --auto-servernum \
    -s "-screen 0 1024x768x24 -noreset" \
    env QT_QPA_PLATFORM=xcb build/bench/benchmarks/qt_tray_menu_bench "${tray_args[@]}"
