#!/usr/bin/env bash
# Installs what is missing (Debian 12), builds the program on Qt 6 (no tests, no benchmarks)
# and starts Brindlecot in the current directory, where it keeps brcot.dat.
set -euo pipefail
here=$(pwd)
cd "$(dirname "$0")/.."

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    echo "Brindlecot needs a graphical desktop: neither DISPLAY nor WAYLAND_DISPLAY is set." >&2
    echo "Run this from a terminal inside your desktop session." >&2
    exit 1
fi

# shellcheck source=tools/packages.sh
source tools/packages.sh
ensure_packages "${BUILD_PACKAGES[@]}" "${QT_PACKAGES[@]}"

jobs=$(nproc 2>/dev/null || echo 2)
cmake --preset run >/dev/null
cmake --build --preset run -j "$jobs"
# The build writes down where it put the program.
program=$(cat build/run/brindlecot-program.txt)
cd "$here"
exec "$program"
