#!/usr/bin/env bash
# The real program on Wayland: a headless sway, as an unprivileged user, on a D-Bus session bus
# of its own, with the program started before any bar. Then, with each of the two bars that
# sway users run:
#   waybar  (shows the menu the icon exports): the icon appears although the bar came later;
#           the right press shows the program's entries, last row on top; choosing one
#           launches its target through a stand-in for xdg-open, byte for byte; a click on the
#           icon brings the window back from another workspace, focused.
#   swaybar (asks the program to show its menu): the same, with the program's own menu, which
#           must float at the pointer, not fill the screen, also when the window is elsewhere.
# Last, the window is closed and the program ends at once.
# Usage: wayland_sni_e2e.sh BRINDLECOT_EXECUTABLE WAYLAND_POINTER SCREENSHOT_DIRECTORY
set -euo pipefail

program=$(realpath "$1")
pointer=$(realpath "$2")
shots=$3

# shellcheck source=tests/support/test_helpers.sh
source "$(dirname "${BASH_SOURCE[0]}")/../../support/test_helpers.sh"

if [ -z "${BRINDLECOT_WL_INNER:-}" ]; then
    missing=$(missing_tools sway swaybar waybar swaymsg grim dbus-run-session dbus-send jq convert \
        setpriv)
    [ -x "$pointer" ] || missing+=" $pointer (built with libwayland-dev)"
    [ -e /usr/lib/x86_64-linux-gnu/qt6/plugins/platforms/libqwayland-generic.so ] ||
        ls /usr/lib/*/qt6/plugins/platforms/libqwayland-generic.so >/dev/null 2>&1 ||
        missing+=" qt6-wayland"
    [ -z "$missing" ] || not_installed "$missing"
    mkdir -p "$shots"
    work=$(mktemp -d)
    chmod 755 "$work"
    status=0
    # sway refuses to run as root: the session runs as nobody, in a directory of its own, with
    # copies of what it runs (the build tree may be out of that user's reach).
    as_user=()
    script=$0
    if [ "$(id -u)" -eq 0 ]; then
        mkdir -p "$work/tests/frontend/qt" "$work/tests/support"
        cp "$0" "$work/tests/frontend/qt/"
        cp "$(dirname "$0")"/../../support/test_helpers.sh "$work/tests/support/"
        cp "$program" "$pointer" "$work/"
        script="$work/tests/frontend/qt/$(basename "$0")"
        program="$work/$(basename "$program")"
        pointer="$work/$(basename "$pointer")"
        chown -R nobody:nogroup "$work"
        as_user=(setpriv --reuid=nobody --regid=nogroup --clear-groups)
    fi
    env BRINDLECOT_WL_INNER=1 HOME="$work" XDG_CONFIG_HOME="$work/config" \
        XDG_CACHE_HOME="$work/cache" XDG_DATA_HOME="$work/data" "${as_user[@]}" \
        dbus-run-session -- bash "$script" "$program" "$pointer" "$work/shots" || status=$?
    cp "$work"/shots/*.png "$shots"/ 2>/dev/null || true
    rm -rf "$work"
    exit "$status"
fi

work=$HOME
mkdir -p "$shots"

on_failure() {
    show_logs program sway bar
    windows 2>/dev/null | jq -c '{name, type, focused, visible, rect}' | sed 's/^/  window: /' >&2
    grim "$shots/wayland-failure.png" 2>/dev/null || true
}
trap stop_helpers EXIT

# A compositor of our own, without input devices or a GPU. Its bar is started by hand below
# (swaybar_command does nothing), so that it comes after the program.
export XDG_RUNTIME_DIR="$work/runtime"
mkdir -m 700 "$XDG_RUNTIME_DIR"
mkdir -p "$work/config"
cat >"$work/config/sway" <<'CONFIG'
output HEADLESS-1 resolution 1024x768
default_border normal
bar bar-0 {
    position top
    swaybar_command true
    tray_output *
}
CONFIG
cat >"$work/config/waybar.json" <<'CONFIG'
{ "layer": "top", "position": "top", "height": 30, "modules-right": ["tray"],
  "tray": { "icon-size": 22 } }
CONFIG
WLR_BACKENDS=headless WLR_LIBINPUT_NO_DEVICES=1 WLR_RENDERER=pixman \
    sway -c "$work/config/sway" >"$work/sway.log" 2>&1 &
pids+=($!)
sway_up() { compgen -G "$XDG_RUNTIME_DIR/wayland-*.lock" && compgen -G "$XDG_RUNTIME_DIR/sway-ipc.*"; }
wait_for 100 sway_up || fail "sway did not start"
WAYLAND_DISPLAY=$(basename "$(compgen -G "$XDG_RUNTIME_DIR/wayland-*.lock")" .lock)
SWAYSOCK=$(compgen -G "$XDG_RUNTIME_DIR/sway-ipc.*")
export WAYLAND_DISPLAY SWAYSOCK
unset DISPLAY

# The nodes of sway's tree that are windows, one JSON object a line.
windows() {
    swaymsg -r -t get_tree |
        jq -c '.. | objects | select(.type == "con" or .type == "floating_con")
               | select(.pid != null)'
}
# The main window: visible, focused, on the workspace in view.
main_in_front() {
    windows | jq -e 'select((.name | test("^Brindlecot *$")) and .focused and .visible)' >/dev/null
}

mkdir "$work/run"
make_opener
printf 'CREATOR=Brindlecot 1.0\r\nST=Alpha\r\nURL=alpha target\r\nSORTORDER=01\r\nST=Beta\r\nURL=HTTP://Beta.example/a b\r\nSORTORDER=02\r\nST=Gamma\r\nURL=x; touch gamma\r\nSORTORDER=03\r\n' \
    >"$work/run/brcot.dat"
start_program "$work/run" QT_QPA_PLATFORM=wayland
wait_for 100 main_in_front || fail "no main window"
# The icon is added after the window's first frame; it finds no tray yet, and says so.
expect_no_tray_notice

# The pointer: a virtual one, the compositor having no input device.
coproc POINTER { exec "$pointer" 1024 768; }
pids+=($POINTER_PID)
pointer() {
    local command reply
    for command in "$@"; do
        echo "$command" >&"${POINTER[1]}"
        read -r -t 10 -u "${POINTER[0]}" reply || fail "the pointer did not answer '$command'"
        [ "$reply" = ok ] || fail "the pointer: $reply"
    done
}
# Whether the picture is light (a menu) at $1,$2.
light_at() {
    grim "$work/probe.png" &&
        [ "$(convert "$work/probe.png" -format "%[fx:p{$1,$2}.intensity > 0.8 ? 1 : 0]" info:)" = 1 ]
}

# Right press on the icon at $1,$2, then item $3 (0 is the top one) of $4 chosen with a click
# at $5 (a function that prints the item's centre); the launch it makes must follow.
choose() {
    local icon_x=$1 icon_y=$2 index=$3 count=$4 locate=$5 shot=$6 before x y
    before=$(opener_calls)
    pointer "move $((icon_x - 2)) $icon_y" "move $icon_x $icon_y" "click right"
    wait_for 50 "$locate" 0 "$count" || fail "no menu appeared on the right press"
    grim "$shot"
    read -r x y < <("$locate" "$index" "$count")
    # Menus highlight the item under the pointer; the release over it chooses it.
    pointer "move $x $((y - 3))" "move $x $y" "click left"
    wait_for 50 opener_called_more_than "$before" ||
        fail "choosing item $index from the top launched nothing"
}

# A click on the icon at $1,$2 from an empty workspace brings the window to it, focused.
restore_from_workspace() {
    swaymsg workspace "$3" >/dev/null
    main_in_front && fail "the window is still in front on workspace $3"
    pointer "move $1 $2" "click left"
    wait_for 50 main_in_front || fail "a click on the icon did not bring the window back"
}

# --- waybar: the exported menu, drawn by the bar ---
waybar -c "$work/config/waybar.json" >"$work/bar.log" 2>&1 &
waybar_pid=$!
pids+=($waybar_pid)
wait_for 100 sni_item_registered || fail "no icon in waybar (the program started before it)"
icon_x=1010 icon_y=15  # the tray is the bar's only module, at its right end
# The icon differs from the empty bar beside it.
icon_drawn() {
    grim "$work/probe.png" &&
        [ "$(convert "$work/probe.png" \
            -format "%[fx:p{$icon_x,$icon_y}.intensity == p{500,$icon_y}.intensity ? 0 : 1]" \
            info:)" = 1 ]
}
wait_for 50 icon_drawn || fail "waybar drew no icon"
# waybar's menu hangs below the icon, right-aligned with it: items 24 pixels high from y 18.
waybar_item() {
    light_at 995 42 || return 1
    echo "950 $((30 + 24 * $1))"
}
choose "$icon_x" "$icon_y" 0 3 waybar_item "$shots/wayland-waybar-menu.png"
choose "$icon_x" "$icon_y" 2 3 waybar_item "$shots/wayland-waybar-menu-2.png"
restore_from_workspace "$icon_x" "$icon_y" 2
grim "$shots/wayland-waybar-restored.png"

# --- swaybar: the bar asks the program to show its own menu ---
kill "$waybar_pid"
wait "$waybar_pid" 2>/dev/null || true
swaybar -b bar-0 >"$work/bar.log" 2>&1 &
pids+=($!)
wait_for 100 sni_item_registered || fail "no icon in swaybar"
icon_x=1013 icon_y=11
wait_for 50 icon_drawn || fail "swaybar drew no icon"
# The menu's own window: floating, frameless, by the icon (top right) and below the bar; items
# share its height.
swaybar_item() {
    local rect
    rect=$(windows | jq -r 'select(.name == "Brindlecot menu" and .type == "floating_con"
                                   and .border == "none")
                            | "\(.rect.x) \(.rect.y) \(.rect.width) \(.rect.height)"')
    [ -n "$rect" ] || return 1
    read -r mx my mw mh <<<"$rect"
    [ $((mx + mw)) -ge 1000 ] && [ "$my" -le 40 ] || return 1
    # Off the icon: a second press there must not choose the item under it.
    [ "$icon_y" -lt "$my" ] || [ "$icon_y" -ge $((my + mh)) ] || return 1
    light_at $((mx + mw - 4)) $((my + mh / 2)) || return 1  # drawn
    echo "$((mx + mw / 2)) $((my + mh * (2 * $1 + 1) / (2 * $2)))"
}
menu_closed() { ! windows | jq -e 'select(.name == "Brindlecot menu")' >/dev/null; }
choose "$icon_x" "$icon_y" 0 3 swaybar_item "$shots/wayland-swaybar-menu.png"
wait_for 50 menu_closed || fail "the menu stayed open"
# A second press on the icon while the menu is open closes it, opens no other, chooses nothing.
before=$(opener_calls)
pointer "move $((icon_x - 2)) $icon_y" "move $icon_x $icon_y" "click right"
wait_for 50 swaybar_item 0 3 >/dev/null || fail "no menu appeared on the first of two presses"
pointer "move $((icon_x - 2)) $icon_y" "move $icon_x $icon_y" "click right"
wait_for 50 menu_closed || fail "a second press on the icon left a menu open"
[ "$(opener_calls)" = "$before" ] || fail "a second press on the icon launched something"
# A click elsewhere closes it too.
pointer "move $((icon_x - 2)) $icon_y" "move $icon_x $icon_y" "click right"
wait_for 50 swaybar_item 0 3 >/dev/null || fail "no menu appeared on the right press"
pointer "move 100 600" "click left"
wait_for 50 menu_closed || fail "a click elsewhere left the menu open"
[ "$(opener_calls)" = "$before" ] || fail "a click elsewhere launched something"
# The window on another workspace: the menu still comes to the pointer, not full-screen.
swaymsg workspace 3 >/dev/null
choose "$icon_x" "$icon_y" 2 3 swaybar_item "$shots/wayland-swaybar-menu-elsewhere.png"
wait_for 50 menu_closed || fail "the menu stayed open"
restore_from_workspace "$icon_x" "$icon_y" 4
grim "$shots/wayland-swaybar-restored.png"

expect_opened $'x; touch gamma\n--end--\nalpha target\n--end--\nx; touch gamma\n--end--\nalpha target\n--end--'
[ -e "$work/run/gamma" ] && fail "a shell ran the target"

# The end of the run: the window closed, the process gone at once.
start=$(date +%s%N)
swaymsg '[title="^Brindlecot *$"] kill' >/dev/null
expect_exit "$app" "when closed"
ms=$((($(date +%s%N) - start) / 1000000))
echo "ended ${ms} ms after its window was closed"
echo "PASS (waybar and swaybar: icon, menu, launch, restore; screenshots in $shots)"
