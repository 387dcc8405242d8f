#!/usr/bin/env bash
# Start-up to first paint of brindlecot.exe under Wine, against a bare Win32 dialog program,
# run alternately on a warm Wine server; prints the medians, their ratio and the size of the
# stripped executable. Not a test: the figures depend on the machine.
#   benchmarks/win32/startup.sh [RUNS]     (after tools/build-windows.sh or the win32 preset)
set -euo pipefail
cd "$(dirname "$0")/../.."
runs=${1:-15}
build=build/win32
winedir=$PWD/$build/wine
cmake --build --preset win32 --target bench_bare_dialog bench_brindlecot_first_paint brindlecot \
    >/dev/null
tests/frontend/win32/wine_display.sh start "$winedir" "$PWD/$build/wine-run" >/dev/null
trap 'tests/frontend/win32/wine_display.sh stop "$winedir"' EXIT
work=$(mktemp -d)
trap 'rm -rf "$work"; tests/frontend/win32/wine_display.sh stop "$winedir"' EXIT

run_one() {
    local start end
    start=$(date +%s%N)
    (cd "$work" && "$1" "$2" >/dev/null 2>&1) || true
    end=$(date +%s%N)
    echo $(((end - start) / 1000000))
}
median() { sort -n | awk '{a[NR]=$1} END {print (NR%2 ? a[(NR+1)/2] : (a[NR/2]+a[NR/2+1])/2)}'; }

runner="$PWD/$build/wine-run"
bare="$PWD/$build/benchmarks/win32/bench_bare_dialog.exe"
ours="$PWD/$build/benchmarks/win32/bench_brindlecot_first_paint.exe"
run_one "$runner" "$bare" >/dev/null  # warm the caches
run_one "$runner" "$ours" >/dev/null
bare_times=()
our_times=()
for _ in $(seq "$runs"); do
    bare_times+=("$(run_one "$runner" "$bare")")
    our_times+=("$(run_one "$runner" "$ours")")
    rm -f "$work/brcot.dat"
done
b=$(printf '%s\n' "${bare_times[@]}" | median)
o=$(printf '%s\n' "${our_times[@]}" | median)
echo "start-up to first paint under Wine, median of $runs runs (warm Wine server):"
echo "  bare Win32 dialog:  $b ms   (${bare_times[*]})"
echo "  brindlecot.exe:     $o ms   (${our_times[*]})"
awk -v o="$o" -v b="$b" 'BEGIN {printf "  ratio:              %.2f\n", o / b}'
size=$(x86_64-w64-mingw32-strip -o "$work/stripped.exe" "$build/src/frontend/win32/brindlecot.exe" &&
    stat -c %s "$work/stripped.exe")
echo "brindlecot.exe stripped: $size bytes"
