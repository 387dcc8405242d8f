#!/usr/bin/env bash
# Start-up to first paint of brindlecot.exe under Wine, against a bare Win32 dialog program,
# run in turn on a warm Wine server: with no entry file, and with a kept file of 50 entries
# (put back before each run, so that every run loads the same 50). Prints the medians, their
# ratios against the bare dialog and the size of the stripped executable. Not a test: the
# figures depend on the machine.
#   benchmarks/win32/startup.sh [RUNS]     (after tools/build-windows.sh or the win32 preset)
set -euo pipefail
cd "$(dirname "$0")/../.."
# shellcheck source=tests/support/test_helpers.sh
source tests/support/test_helpers.sh
runs=${1:-15}
build=build/win32
winedir=$PWD/$build/wine
cmake --build --preset win32 --target bench_bare_dialog bench_brindlecot_first_paint brindlecot \
    >/dev/null
tests/frontend/win32/wine_display.sh start "$winedir" "$PWD/$build/wine-run" >/dev/null
work=$(mktemp -d)
trap 'rm -rf "$work"; tests/frontend/win32/wine_display.sh stop "$winedir"' EXIT

# Each case runs in its own directory: the program reads brcot.dat from its working directory.
mkdir "$work/bare" "$work/nofile" "$work/fifty"
fifty_entries >"$work/fifty.dat"

# Prints the milliseconds one run of PROGRAM takes in DIR, after putting the case's file there.
run_one() {
    local dir=$work/$1 start end
    case $1 in
        nofile) rm -f "$dir/brcot.dat" ;;
        fifty) cp "$work/fifty.dat" "$dir/brcot.dat" ;;
    esac
    start=$(date +%s%N)
    (cd "$dir" && "$runner" "$2" >/dev/null 2>&1) || true
    end=$(date +%s%N)
    echo $(((end - start) / 1000000))
}
median() { sort -n | awk '{a[NR]=$1} END {print (NR%2 ? a[(NR+1)/2] : (a[NR/2]+a[NR/2+1])/2)}'; }

runner="$PWD/$build/wine-run"
bare="$PWD/$build/benchmarks/win32/bench_bare_dialog.exe"
ours="$PWD/$build/benchmarks/win32/bench_brindlecot_first_paint.exe"
run_one bare "$bare" >/dev/null  # warm the caches
run_one fifty "$ours" >/dev/null
bare_times=()
nofile_times=()
fifty_times=()
for _ in $(seq "$runs"); do
    bare_times+=("$(run_one bare "$bare")")
    nofile_times+=("$(run_one nofile "$ours")")
    fifty_times+=("$(run_one fifty "$ours")")
done
b=$(printf '%s\n' "${bare_times[@]}" | median)
n=$(printf '%s\n' "${nofile_times[@]}" | median)
f=$(printf '%s\n' "${fifty_times[@]}" | median)
# The machine's speed drifts over a run of minutes; each round's three runs follow one another,
# so the median of the rounds' own ratios is the steadier figure.
paired() {
    local -n times=$1
    for i in "${!times[@]}"; do
        awk -v o="${times[$i]}" -v b="${bare_times[$i]}" 'BEGIN {printf "%.4f\n", o / b}'
    done | median
}
echo "start-up to first paint under Wine, median of $runs runs (warm Wine server):"
echo "  bare Win32 dialog:             $b ms   (${bare_times[*]})"
awk -v o="$n" -v b="$b" -v p="$(paired nofile_times)" -v all="${nofile_times[*]}" \
    'BEGIN {printf "  brindlecot.exe, no file:       %s ms   ratio %.2f   paired %.2f   (%s)\n",
            o, o / b, p, all}'
awk -v o="$f" -v b="$b" -v p="$(paired fifty_times)" -v all="${fifty_times[*]}" \
    'BEGIN {printf "  brindlecot.exe, 50 entries:    %s ms   ratio %.2f   paired %.2f   (%s)\n",
            o, o / b, p, all}'
size=$(x86_64-w64-mingw32-strip -o "$work/stripped.exe" "$build/src/frontend/win32/brindlecot.exe" &&
    stat -c %s "$work/stripped.exe")
echo "brindlecot.exe stripped: $size bytes"
