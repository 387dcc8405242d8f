#!/usr/bin/env bash
# Builds the libFuzzer targets (the fuzz preset: clang, AddressSanitizer, UBSan) and runs them.
#
#   tools/fuzz.sh                  every target side by side, until interrupted (Ctrl-C)
#   tools/fuzz.sh -t 600           each target for 600 s, one after the other
#   tools/fuzz.sh entry_text_fuzzer    one target only
#   tools/fuzz.sh -s -t 25         from the seed corpus in a scratch directory, keeping nothing
#                                  (what tools/test.sh does)
#
# Targets: entry_text_fuzzer (the byte rules alone: line reader, trimming and split, writer;
# thousands of runs a second), shown_text_fuzzer (the text shown for bytes on the Linux
# desktops, and the bytes of an edited text) and entry_file_fuzzer (start-up and end of a run
# through the main window). Without -s each target's corpus grows in build/fuzz/corpus/<target>, seeded
# from tests/fuzz/corpus. A crash, leak, undefined behaviour or time-out stops the run with
# exit status 1 and leaves its input in build/fuzz/artifacts/.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=0
scratch=0
while getopts "t:s" opt; do
    case $opt in
        t) seconds=$OPTARG ;;
        s) scratch=1 ;;
        *) echo "usage: tools/fuzz.sh [-s] [-t SECONDS] [TARGET...]" >&2; exit 2 ;;
    esac
done
shift $((OPTIND - 1))
targets=("$@")
[ ${#targets[@]} -eq 0 ] && targets=(entry_text_fuzzer shown_text_fuzzer entry_file_fuzzer)

# shellcheck source=tools/packages.sh
source tools/packages.sh
ensure_packages "${BUILD_PACKAGES[@]}" "${FUZZ_PACKAGES[@]}"
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j "$(nproc 2>/dev/null || echo 2)" --target "${targets[@]}"

# ASan's default quarantine (256 MB) costs more than the target itself; 16 MB still catches a
# use after free within the thousands of allocations of one run.
export ASAN_OPTIONS=${ASAN_OPTIONS:-quarantine_size_mb=16}

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p build/fuzz/artifacts "$work/artifacts"

run_target() {
    local target=$1 corpus
    if [ "$scratch" -eq 1 ]; then
        corpus="$work/corpus-$target"
    else
        corpus="build/fuzz/corpus/$target"
    fi
    mkdir -p "$corpus"
    cp -n tests/fuzz/corpus/* "$corpus/"
    local args=(-dict=tests/fuzz/entry_file.dict -rss_limit_mb=2048 -timeout=10
                -print_final_stats=1 -artifact_prefix="$work/artifacts/$target-")
    # The byte rules need no long inputs to reach every branch; the dialog target gets room
    # for a file beyond the table's limit.
    case $target in
        entry_file_fuzzer) args+=(-max_len=16384) ;;
        *) args+=(-max_len=2048) ;;
    esac
    [ "$seconds" -gt 0 ] && args+=(-max_total_time="$seconds")
    local log="$work/$target.log"
    if [ "$scratch" -eq 0 ]; then
        mkdir -p build/fuzz/logs
        log="build/fuzz/logs/$target.log"
    fi
    if [ "$seconds" -gt 0 ]; then
        echo "Fuzzing $target for $seconds s..."
    else
        echo "Fuzzing $target until interrupted; log in $log"
    fi
    local status=0
    "build/fuzz/tests/fuzz/$target" "${args[@]}" "$corpus" >"$log" 2>&1 || status=$?
    # 72 is libFuzzer's exit status for an interrupted run: a stop, not a finding.
    if [ "$status" -ne 0 ] && [ "$status" -ne 72 ]; then
        tail -n 60 "$log"
        cp "$work"/artifacts/* build/fuzz/artifacts/ 2>/dev/null || true
        echo "FAILED: $target found a problem; its input is in build/fuzz/artifacts/" >&2
        return 1
    fi
    local runs rate
    runs=$(sed -n 's/^stat::number_of_executed_units: //p' "$log")
    rate=$(sed -n 's/^stat::average_exec_per_sec: //p' "$log")
    echo "$target: ${runs:-?} runs, ${rate:-?} runs/s; no crash, leak or undefined behaviour."
}

if [ "$seconds" -gt 0 ]; then
    for t in "${targets[@]}"; do run_target "$t"; done
else
    pids=()
    for t in "${targets[@]}"; do run_target "$t" & pids+=($!); done
    status=0
    for p in "${pids[@]}"; do wait "$p" || status=1; done
    exit $status
fi
