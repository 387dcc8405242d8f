# Sourced by the test scripts, so that each waits on a condition rather than for a fixed time.
#
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
