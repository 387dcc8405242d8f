#!/usr/bin/env bash
# The real program under Xvfb with a clipboard manager: what the user copied from a field goes
# to the manager as the program ends, and the program ends promptly once its window is gone,
# even when the manager never answers (Qt alone waits five seconds for it).
# Usage: xvfb_clipboard_e2e.sh BRINDLECOT_EXECUTABLE FAKE_CLIPBOARD_MANAGER
set -euo pipefail

program=$(realpath "$1")
manager=$(realpath "$2")
# shellcheck source=tests/support/xvfb_session.sh
source "$(dirname "${BASH_SOURCE[0]}")/../../support/xvfb_session.sh"
require_tools Xvfb openbox xdotool xprop

on_failure() { show_logs program manager; }
new_work_dir

start_display
unset DBUS_SESSION_BUS_ADDRESS

# run_case NAME MANAGER_MODE KEYS: the manager in that mode, the program with a text typed
# into its title field and KEYS pressed, then Escape. Sets `gone_to_end`: the milliseconds
# from the window going to the process ending, as seen by polling every tenth of a second.
run_case() {
    local name=$1 mode=$2 keys=$3
    : >"$work/manager.log"
    "$manager" "$mode" >"$work/manager.log" 2>&1 &
    local manager_pid=$!
    pids+=("$manager_pid")
    wait_for 50 grep -qx ready "$work/manager.log" || fail "$name: the manager did not start"

    mkdir -p "$work/$name"
    : >"$work/$name/brcot.dat"
    local app window
    start_program "$work/$name" QT_QPA_PLATFORM=xcb
    find_main_window "$name: "
    focus_main_window "$name: "
    xdotool type --delay 20 "copied $name"
    # shellcheck disable=SC2086
    xdotool key $keys
    xdotool key Escape
    wait_for 50 bash -c "! xdotool search --onlyvisible --name '^Brindlecot'" ||
        fail "$name: the window did not close on Escape"
    local gone
    gone=$(date +%s%N)
    wait_for 40 process_gone "$app" ||
        fail "$name: the program was still running 4 s after its window went"
    gone_to_end=$((($(date +%s%N) - gone) / 1000000))
    wait "$app" || fail "$name: the program ended with a failure"
    kill "$manager_pid" 2>/dev/null || true
    wait "$manager_pid" 2>/dev/null || true
    echo "$name: ended about $gone_to_end ms after its window went"
}

# A manager that saves: it gets exactly the copied text.
run_case answering answer "ctrl+a ctrl+c"
grep -qx "saved: copied answering" "$work/manager.log" ||
    fail "the manager did not get the copied text"

# A manager that never answers: the program waits for it only briefly.
run_case silent silent "ctrl+a ctrl+c"
grep -qx asked "$work/manager.log" || fail "the program did not offer the clipboard to the manager"
((gone_to_end <= 1500)) || fail "with a silent manager the program took $gone_to_end ms to end"

# Text only selected, not copied: nothing for the manager, and no wait for it either.
run_case selected silent "ctrl+a"
grep -qx asked "$work/manager.log" && fail "the program offered a clipboard it had not been given"
((gone_to_end <= 1500)) || fail "with a selection only the program took $gone_to_end ms to end"
echo "PASS"
