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
