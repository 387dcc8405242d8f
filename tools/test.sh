#!/usr/bin/env bash
# Installs what is missing (Debian 12), configures, builds and runs every test, then runs the
# entry file's fuzzers for a bounded time. The benchmarks are built, not run.
set -euo pipefail
cd "$(dirname "$0")/.."

# shellcheck source=tools/packages.sh
source tools/packages.sh
ensure_packages "${CORE_PACKAGES[@]}" "${FUZZ_PACKAGES[@]}"

jobs=$(nproc 2>/dev/null || echo 2)
cmake --preset core >/dev/null
cmake --build --preset core -j "$jobs"
ctest --preset core -j "$jobs"

# The fuzzers, built with AddressSanitizer and UndefinedBehaviorSanitizer, each run for a
# bounded time on a scratch copy of the seed corpus (the repository stays as it was): the byte
# rules alone, then the whole start-up and end of a run. Any crash, leak, undefined behaviour,
# time-out or memory excess fails the script; its input is kept in build/fuzz/artifacts/.
# tools/fuzz.sh runs them for as long as one likes.
tools/fuzz.sh -s -t "${BRINDLECOT_FUZZ_SECONDS:-25}"

# ---- The Qt front end: its offscreen tests and the end-to-end run under Xvfb ----
ensure_packages "${QT_PACKAGES[@]}" "${GUI_TEST_PACKAGES[@]}"
cmake --preset qt >/dev/null
cmake --build --preset qt -j "$jobs"
ctest --preset qt -j "$jobs"
