#!/usr/bin/env bash
# The Win32 store on symbolic links, under Wine. Wine makes no Windows links (its
# CreateSymbolicLink does nothing), but its calls follow Unix links as Windows follows its own:
# this script makes Unix links in a scratch folder, runs the Win32FileStoreLinks tests on them
# (BRINDLECOT_LINK_DIR names the folder), then checks from outside that every link is still a
# link to the same place and that the targets hold what the tests wrote.
#   store_links.sh WINE_RUN TEST_EXE WORK_DIR
set -euo pipefail
[ $# -eq 3 ] || { echo "usage: $0 WINE_RUN TEST_EXE WORK_DIR" >&2; exit 2; }
run=$1
exe=$2
work=$(realpath -m "$3")

# shellcheck source=tests/support/test_helpers.sh
source "$(dirname "${BASH_SOURCE[0]}")/../../support/test_helpers.sh"

rm -rf "$work"
mkdir -p "$work"/{targets,relative,chain,readonly,loop}
printf 'old list\r\n' >"$work/targets/list.dat"
printf 'other\r\n' >"$work/targets/other.dat"
# Litter of a killed run beside the target, from a process that is certainly gone.
printf 'partial' >"$work/targets/.list.dat.4000000000.abcdefghijkl.tmp"
touch -d '2000-01-01 00:00:00' "$work/targets/.list.dat.4000000000.abcdefghijkl.tmp"
ln -s ../targets/list.dat "$work/relative/brcot.dat"
ln -s "$work/targets/other.dat" "$work/chain/middle.dat"
ln -s middle.dat "$work/chain/brcot.dat"
printf 'kept\r\n' >"$work/readonly/kept.dat"
chmod 0444 "$work/readonly/kept.dat"
ln -s kept.dat "$work/readonly/brcot.dat"
ln -s brcot.dat "$work/loop/brcot.dat"

# Wine's drive Z: is the Unix root.
windows_dir="Z:${work//\//\\}"
BRINDLECOT_LINK_DIR=$windows_dir "$run" "$exe" --gtest_filter='Win32FileStoreLinks.*'

link_is() {
    [ -L "$work/$1" ] || fail "$1 is no longer a link"
    [ "$(readlink "$work/$1")" = "$2" ] || fail "$1 now links to $(readlink "$work/$1"), not $2"
}
link_is relative/brcot.dat ../targets/list.dat
link_is chain/brcot.dat middle.dat
link_is chain/middle.dat "$work/targets/other.dat"
link_is readonly/brcot.dat kept.dat
link_is loop/brcot.dat brcot.dat
[ "$(cat "$work/targets/other.dat")" = "through two links"$'\r' ] ||
    fail "the chain's target holds $(od -c "$work/targets/other.dat" | head -n 3)"
[ "$(stat -c %a "$work/readonly/kept.dat")" = 444 ] || fail "the read-only target's mode changed"
echo "Every link is still a link to the same place; their targets were written."
