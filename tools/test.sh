#!/usr/bin/env bash
# Installs what is missing (Debian 12), configures, builds and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."

# shellcheck source=tools/packages.sh
source tools/packages.sh
ensure_packages "${CORE_PACKAGES[@]}"

jobs=$(nproc 2>/dev/null || echo 2)
cmake --preset core >/dev/null
cmake --build --preset core -j "$jobs"
ctest --preset core -j "$jobs"

# ---- The Qt front end: its offscreen tests and the end-to-end run under Xvfb ----
ensure_packages "${QT_PACKAGES[@]}" "${GUI_TEST_PACKAGES[@]}"
cmake --preset qt >/dev/null
cmake --build --preset qt -j "$jobs"
ctest --preset qt -j "$jobs"
