#!/usr/bin/env bash
# Installs what is missing (Debian 12), configures, builds and runs every test, then runs the
# entry-file reader's fuzzer for a bounded time, then builds and checks the packages a user
# installs (tools/package.sh). The benchmarks are built, not run.
set -euo pipefail
cd "$(dirname "$0")/.."

# shellcheck source=tools/packages.sh
source tools/packages.sh
ensure_packages "${CORE_PACKAGES[@]}" "${FUZZ_PACKAGES[@]}" "${DIST_CHECK_PACKAGES[@]}"

jobs=$(nproc 2>/dev/null || echo 2)
cmake --preset core >/dev/null
cmake --build --preset core -j "$jobs"
ctest --preset core -j "$jobs"

# The fuzzer: built with AddressSanitizer and UndefinedBehaviorSanitizer, run on a copy of the
# seed corpus so that the run leaves the repository as it was. Any crash, leak, undefined
# behaviour, time-out or memory excess fails the script; its input is kept for reproduction.
fuzz_seconds=${BRINDLECOT_FUZZ_SECONDS:-30}
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j "$jobs"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/corpus" "$work/artifacts"
cp tests/fuzz/corpus/* "$work/corpus/"
echo "Fuzzing the entry-file reader for ${fuzz_seconds} s..."
if ! build/fuzz/tests/fuzz/entry_file_fuzzer -max_total_time="$fuzz_seconds" \
        -rss_limit_mb=2048 -max_len=16384 -timeout=10 -print_final_stats=1 \
        -dict=tests/fuzz/entry_file.dict -artifact_prefix="$work/artifacts/" \
        "$work/corpus" >"$work/fuzz.log" 2>&1; then
    tail -n 60 "$work/fuzz.log"
    mkdir -p build/fuzz/artifacts
    cp "$work"/artifacts/* build/fuzz/artifacts/ 2>/dev/null || true
    echo "FAILED: the fuzzer found a problem; its input is in build/fuzz/artifacts/" >&2
    exit 1
fi
grep -E '^Done |stat::number_of_executed_units|stat::peak_rss_mb' "$work/fuzz.log" || true
echo "Fuzzing: no crash, leak or undefined behaviour."

# ---- The Qt front end: its offscreen tests and the end-to-end run under Xvfb ----
ensure_packages "${QT_PACKAGES[@]}" "${GUI_TEST_PACKAGES[@]}"
cmake --preset qt >/dev/null
cmake --build --preset qt -j "$jobs"
ctest --preset qt -j "$jobs"

# ---- The packages a user installs, each installed, started and removed again ----
tools/package.sh
