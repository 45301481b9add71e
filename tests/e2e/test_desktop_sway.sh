#!/usr/bin/env bash
# The game on sway (tiling Wayland, headless, software renderer): tiled,
# floating, full screen through the compositor, round trips that never grow
# the window, a scaled output drawn at its pixel size, and a 1024x600 output.
# wlroots refuses to run as root: there the compositor and the game run as
# "nobody" (as in test_wayland).
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/desktops/desk.sh"
DESK_NAME=sway
desk_need sway swaymsg wtype grim jq zenity
e2e_setup "$1"
trap desk_cleanup EXIT

as_player=()
if [[ $(id -u) == 0 ]]; then
    as_player=(setpriv --reuid=65534 --regid=65534 --clear-groups)
    chmod 711 "$E2E_ROOT"
fi
in_session() {
    "${as_player[@]}" env -i PATH=/usr/bin:/bin HOME="$E2E_ROOT/home" XDG_RUNTIME_DIR="$E2E_ROOT/wl" \
        WAYLAND_DISPLAY="$SOCKET" SWAYSOCK="$(ls "$E2E_ROOT"/wl/sway-ipc.*.sock 2>/dev/null)" "$@"
}
sway_msg() { in_session swaymsg "$@" >/dev/null; }

# SCREEN is WxH or WxH@SCALE.
d_start() {
    local mode=${1%@*} scale=1
    [[ "$1" == *@* ]] && scale=${1#*@}
    rm -rf "$E2E_ROOT/wl" "$E2E_ROOT/home"
    mkdir -m 700 "$E2E_ROOT/wl" "$E2E_ROOT/home"
    printf 'xwayland disable\ndefault_border none\ndefault_floating_border none\n' >"$E2E_ROOT/sway.conf"
    fresh_program_folder
    if [[ ${#as_player[@]} -gt 0 ]]; then
        chown 65534:65534 "$E2E_ROOT/wl" "$E2E_ROOT/home"
        chown -R 65534:65534 "$E2E_DIR"
    fi
    "${as_player[@]}" env -i PATH=/usr/bin:/bin HOME="$E2E_ROOT/home" XDG_RUNTIME_DIR="$E2E_ROOT/wl" \
        WLR_BACKENDS=headless WLR_LIBINPUT_NO_DEVICES=1 WLR_RENDERER=pixman \
        sway -c "$E2E_ROOT/sway.conf" >"$E2E_ROOT/sway.log" 2>&1 &
    SWAY_PID=$!
    desk_track "$SWAY_PID"
    socket_ready() { SOCKET=$(cd "$E2E_ROOT/wl" && ls wayland-[0-9] 2>/dev/null | head -n 1) && [[ -n "$SOCKET" ]]; }
    wait_until 10 "sway did not start (sway.log)" socket_ready
    sleep 0.5
    sway_msg output HEADLESS-1 mode "$mode" scale "$scale"
    (cd "$E2E_ROOT" && exec "${as_player[@]}" env -i PATH=/usr/bin:/bin HOME="$E2E_ROOT/home" \
        XDG_RUNTIME_DIR="$E2E_ROOT/wl" WAYLAND_DISPLAY="$SOCKET" DBUS_SESSION_BUS_ADDRESS="$DBUS_SESSION_BUS_ADDRESS" \
        WAYLAND_DEBUG=client "$E2E_DIR/tessary") >"$E2E_DIR/stdout.log" 2> >(wayland_log) &
    GAME_PID=$!
    shown() { [[ -n "$(d_rect)" ]]; }
    wait_until 15 "no window with the application id tessary" shown
}
# The game's Wayland requests: its buffer scales go to scales.log, the rest
# of the protocol nowhere, its own messages to stderr.log.
wayland_log() {
    awk -v scales="$E2E_ROOT/scales.log" '/set_buffer_scale/ { print >scales; fflush(scales); next }
        /^\[ *[0-9]+\.[0-9]+\]/ { next } { print; fflush() }' >"$E2E_DIR/stderr.log"
}
buffer_scale() { tail -n 1 "$E2E_ROOT/scales.log" 2>/dev/null | sed -n 's/.*set_buffer_scale(\([0-9]*\)).*/\1/p'; }
output_scale() { in_session swaymsg -r -t get_outputs | jq -r '.[0].scale | floor'; }
d_stop() {
    desk_stop_game
    desk_kill "$SWAY_PID"
}
# wtype's virtual keyboard joins the seat first; the keys follow after a
# pause (-s, in milliseconds), or the game may miss them.
d_key() {
    local chord=$1 press=() release=()
    while [[ "$chord" == *+* ]]; do
        press+=(-M "${chord%%+*}"); release+=(-m "${chord%%+*}"); chord=${chord#*+}
    done
    in_session wtype -s 400 "${press[@]}" -k "$chord" "${release[@]}" -s 100
}
d_shot() { in_session grim - >"$1"; }
# Output and window in pixels: sway's layout is in logical units, times the scale.
d_output() {
    in_session swaymsg -r -t get_outputs | jq -r '.[0] | "0 0 \(.current_mode.width) \(.current_mode.height)"'
}
d_rect() {
    in_session swaymsg -r -t get_tree | jq -r '
        ([.nodes[] | select(.name != "__i3") | .scale][0]) as $s
        | .. | objects | select(.app_id? == "tessary")
        | [.rect.x + .window_rect.x, .rect.y + .window_rect.y, .window_rect.width, .window_rect.height]
        | map(. * $s | round) | join(" ")' 2>/dev/null | head -n 1
}
d_full_state() {
    in_session swaymsg -r -t get_tree | jq -e '[.. | objects | select(.app_id? == "tessary") | .fullscreen_mode] | .[0] == 1' >/dev/null
}
d_frame() { d_rect; }
d_usable() { d_output; }
# Maximised on a tiling desktop: the window leaves the floating layer and fills the output.
d_maximise() { if [[ "$1" == on ]]; then sway_msg '[app_id=tessary]' floating disable; else sway_msg '[app_id=tessary]' floating enable; fi; }
case_floating() {
    sway_msg '[app_id=tessary]' floating enable
    settled_rect >/dev/null
    expect_letterbox floating
}
case_shown() { settled_rect >/dev/null; expect_letterbox shown; }
case_compositor_full_screen() {
    sway_msg '[app_id=tessary]' fullscreen enable
    wait_until 8 "swaymsg fullscreen: $(d_rect) does not cover $(d_output)" is_full
    expect_letterbox compositor-full-screen
    sway_msg '[app_id=tessary]' fullscreen disable
    wait_until 8 "swaymsg fullscreen stayed on" not_full
}

d_focused() {
    in_session swaymsg -r -t get_tree | jq -e '[.. | objects | select(.app_id? == "tessary") | .focused] | .[0]' >/dev/null
}
# Another window (zenity, floated by sway as a dialog) takes the focus; sway
# then floats the game and tiles it again: the game, inactive, shows its
# picture at each new size in every look. The dialog is left out of the measures.
case_inactive() {
    local was
    was=$(settled_rect)
    in_session GDK_BACKEND=wayland zenity --info --text "another window" >/dev/null 2>&1 &
    local other=$!
    desk_track "$other"
    lost_focus() { ! d_focused; }
    wait_until 10 "the other window did not take the focus" lost_focus
    local x y w h
    read -r x y w h < <(in_session swaymsg -r -t get_tree | jq -r '
        ([.nodes[] | select(.name != "__i3") | .scale][0]) as $s
        | .. | objects | select(.app_id? == "zenity") | [.rect.x, .rect.y, .rect.width, .rect.height]
        | map(. * $s | round) | join(" ")' | head -n 1)
    DESK_COVER="$((x - 20)) $((y - 20)) $((w + 40)) $((h + 40))"
    sway_msg '[app_id=tessary]' floating enable
    wait_until 8 "the game kept its size $was when floated" changed_from "$was"
    expect_never_black inactive-floating
    settled_rect >/dev/null
    DESK_TRIES=1 expect_letterbox inactive-floating
    sway_msg '[app_id=tessary]' floating disable
    wait_until 8 "the game did not get its size $was back" rect_is "$was"
    expect_never_black inactive-tiled
    DESK_TRIES=1 expect_letterbox inactive-tiled
    desk_kill "$other"
    sway_msg '[app_id=tessary]' focus
    wait_until 8 "the game did not get the focus back" d_focused
}
rect_is() { [[ "$(d_rect)" == "$1" ]]; }

# The output's scale changes under the window, both ways, windowed and in
# full screen: within a second the surface's buffer scale is the output's and
# the picture is the title at the output's pixels, not half of them doubled.
case_scale_change() {
    local from to mode s
    from=$(output_scale)
    to=$((3 - from))
    for mode in windowed full-screen; do
        if [[ "$mode" == full-screen ]]; then
            d_key alt+Return
            wait_until 8 "Alt+Enter: $(d_rect) does not cover the output $(d_output)" is_full
        fi
        for s in "$to" "$from"; do
            sway_msg output HEADLESS-1 scale "$s"
            sleep 1
            [[ "$(buffer_scale)" == "$s" ]] || e2e_fail "$mode at scale $s: the buffer scale is '$(buffer_scale)'"
            DESK_TRIES=1 expect_letterbox "$mode-scale-$s"
        done
    done
    d_key alt+Return
    wait_until 8 "the second Alt+Enter left the full screen on" not_full
}

desk_run "1920x1080 shown scale_change inactive full_screen round_trips compositor_full_screen floating full_screen round_trips" \
         "1920x1080@2 shown scale_change full_screen floating" \
         "1024x600 first_window floating first_window full_screen"
