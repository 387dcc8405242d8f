#!/usr/bin/env bash
# Builds the Qt front end and prints its start-up figures offscreen and under Xvfb.
set -euo pipefail
cd "$(dirname "$0")/.."
# shellcheck source=tools/packages.sh
source tools/packages.sh
ensure_packages "${CORE_PACKAGES[@]}" "${QT_PACKAGES[@]}" xvfb xauth
cmake --preset qt >/dev/null
cmake --build --preset qt -j "$(nproc 2>/dev/null || echo 2)" --target qt_startup_bench
runs=${1:-15}
QT_QPA_PLATFORM=offscreen build/qt/benchmarks/qt_startup_bench "$runs"
xvfb-run -a -s "-screen 0 1024x768x24" env QT_QPA_PLATFORM=xcb \
    build/qt/benchmarks/qt_startup_bench "$runs"
