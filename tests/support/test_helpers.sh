# shellcheck shell=bash
# Sourced by the test scripts (and the benchmarks' scripts): how a script fails or skips, waits
# on a condition rather than for a fixed time, keeps and ends the processes it starts, stands in
# for the desktop's opener, compares bytes and asks a StatusNotifierItem watcher. The scripts
# that drive a display source xvfb_session.sh, which sources this file.

# fail MESSAGE: says what failed and ends the script with status 1. A script with more to show
# (its logs, a screenshot) defines `on_failure`, which runs first, once.
fail() {
    echo "FAIL: $*" >&2
    if [ -z "${_failing:-}" ] && declare -F on_failure >/dev/null; then
        _failing=1
        on_failure || true
    fi
    exit 1
}

# not_installed WHAT: ends a script whose tools are missing. Elsewhere it is skipped (77, which
# ctest reports as a skip); in CI, where tools/test.sh installed everything, it fails.
not_installed() {
    if [ -n "${CI:-}" ]; then
        echo "FAIL: not installed:$1" >&2
        exit 1
    fi
    echo "SKIP: not installed:$1 (tools/test.sh installs it)"
    exit 77
}

# missing_tools COMMAND...: prints " NAME" for each command (or path) that is not there.
missing_tools() {
    local tool
    for tool in "$@"; do
        command -v "$tool" >/dev/null || printf ' %s' "$tool"
    done
}

# require_tools COMMAND...: not_installed unless every command is there.
require_tools() {
    local missing
    missing=$(missing_tools "$@")
    [ -z "$missing" ] || not_installed "$missing"
}

# Prints the last lines of the logs named (xvfb, openbox, ...) under $work, each line marked.
show_logs() {
    local name
    for name in "$@"; do
        [ -s "$work/$name.log" ] && tail -n 20 "$work/$name.log" | sed "s/^/  $name: /" >&2
    done
    return 0
}

# wait_for TENTHS COMMAND [ARG...]: runs COMMAND, quietly, every tenth of a second until it
# succeeds; returns 1 after TENTHS tries. The limit counts tries, not wall-clock time, so a
# command that is slow on a loaded machine gets its full number of chances.
wait_for() {
    local tenths=$1
    shift
    local i
    for ((i = 0; i < tenths; i++)); do
        if "$@" >/dev/null 2>&1; then
            return 0
        fi
        sleep 0.1
    done
    return 1
}

# capture_settled FILE IMPORT-ARG...: takes a screenshot with ImageMagick's `import` once the
# picture has stopped changing (two captures in a row alike), so that a window that has just
# been mapped is photographed after its first paint; after 30 tries it keeps the last capture.
capture_settled() {
    local file=$1
    shift
    local previous="" current i
    for ((i = 0; i < 30; i++)); do
        import "$@" "$file" 2>/dev/null || true
        current=$(md5sum <"$file" 2>/dev/null)
        [ -n "$previous" ] && [ "$current" = "$previous" ] && return 0
        previous=$current
        sleep 0.1
    done
    return 0
}

# Processes started for the run, ended in reverse order by stop_helpers.
pids=()

stop_helpers() {
    local i p
    for ((i = ${#pids[@]} - 1; i >= 0; i--)); do
        p=${pids[i]}
        kill "$p" 2>/dev/null || true
        wait "$p" 2>/dev/null || true
    done
    pids=()
}

# new_work_dir: a scratch directory in `work`, removed, after the helpers are ended, when the
# script exits.
new_work_dir() {
    work=$(mktemp -d)
    trap 'stop_helpers; rm -rf "$work"' EXIT
}

# start_program DIR [NAME=VALUE...] [LAUNCHER...]: $program in DIR, with the stand-in opener
# first on its PATH and the variables given (through env, so a launcher such as Wine may follow
# them), its output in $work/program.log. Sets `app` to its process.
start_program() {
    local dir=$1
    shift
    (cd "$dir" && exec env PATH="$work/bin:$PATH" "$@" "$program") >"$work/program.log" 2>&1 &
    app=$!
    pids+=("$app")
}

process_gone() { ! kill -0 "$1" 2>/dev/null; }

# expect_exit PID WHAT: the program PID must end within 5 s ("the program did not end WHAT")
# and with status 0.
expect_exit() {
    local status=0
    wait_for 50 process_gone "$1" || fail "the program did not end $2"
    wait "$1" || status=$?
    [ "$status" -eq 0 ] || fail "the program ended with status $status"
}

# make_opener: $work/bin/xdg-open writes each argument it gets on a line of its own to
# $work/opened.log, then "--end--". start_program puts $work/bin first on the program's PATH.
make_opener() {
    mkdir -p "$work/bin"
    cat >"$work/bin/xdg-open" <<SCRIPT
#!/bin/sh
for a in "\$@"; do printf '%s\n' "\$a" >> "$work/opened.log"; done
printf -- '--end--\n' >> "$work/opened.log"
SCRIPT
    chmod +x "$work/bin/xdg-open"
    : >"$work/opened.log"
}

# How many times the opener has been called so far; whether more than $1 times.
opener_calls() { grep -c -- '--end--' "$work/opened.log" 2>/dev/null || true; }
opener_called_more_than() { [ "$(opener_calls)" -gt "$1" ]; }

# expect_opened LINES: the opener must have had exactly these calls (an argument a line, each
# call ended by --end--).
expect_opened() {
    [ "$(cat "$work/opened.log")" = "$1" ] || fail "the opener got: $(cat "$work/opened.log")"
}

# expect_no_tray_notice: the program must say (once it is up, before any tray) that there is
# no tray yet.
expect_no_tray_notice() {
    wait_for 50 grep -q 'no system tray' "$work/program.log" ||
        fail "the program did not say that there is no tray"
}

# expect_bytes FILE BYTES [MESSAGE]: fails (with both dumped) unless FILE holds exactly BYTES.
expect_bytes() {
    if ! cmp -s <(printf '%s' "$2") "$1"; then
        {
            echo "expected:"
            printf '%s' "$2" | od -c | head -n 20
            echo "found:"
            od -c "$1" | head -n 20
        } >&2
        fail "${3:-$1 differs}"
    fi
}

# fifty_entries: an entry file of 50 entries, written in descending order, as a list grows.
fifty_entries() {
    local i
    printf 'CREATOR=Brindlecot 1.0\r\n'
    for i in $(seq 50 -1 1); do
        printf 'ST=Entry number %d\r\nURL=http://example.org/%d/index.html\r\nSORTORDER=%02d\r\n\r\n' \
            "$i" "$i" "$i"
    done
}

# A property of the StatusNotifierWatcher on the session bus, as dbus-send prints it.
watcher_property() {
    dbus-send --session --print-reply --dest=org.kde.StatusNotifierWatcher \
        /StatusNotifierWatcher org.freedesktop.DBus.Properties.Get \
        string:org.kde.StatusNotifierWatcher "string:$1" 2>/dev/null
}
sni_host_registered() { watcher_property IsStatusNotifierHostRegistered | grep -q true; }
sni_item_registered() { watcher_property RegisteredStatusNotifierItems | grep -q StatusNotifierItem; }
