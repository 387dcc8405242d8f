#!/usr/bin/env bash
# Builds brindlecot.exe for 64-bit Windows with mingw-w64 (installing what is missing on
# Debian 12) and copies it, stripped, to build/windows/brindlecot.exe.
set -euo pipefail
cd "$(dirname "$0")/.."

# shellcheck source=tools/packages.sh
source tools/packages.sh
ensure_packages "${BUILD_PACKAGES[@]}" "${WIN32_BUILD_PACKAGES[@]}"

jobs=$(nproc 2>/dev/null || echo 2)
cmake --preset win32 >/dev/null
cmake --build --preset win32 -j "$jobs" --target brindlecot
mkdir -p build/windows
x86_64-w64-mingw32-strip -o build/windows/brindlecot.exe build/win32/src/frontend/win32/brindlecot.exe
echo "build/windows/brindlecot.exe ($(stat -c %s build/windows/brindlecot.exe) bytes)"
