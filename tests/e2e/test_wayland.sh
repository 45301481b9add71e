#!/usr/bin/env bash
# Wayland: on a Wayland desktop the game opens its window through Wayland
# itself, even with an X server at hand, under the application id "tessary";
# it shows the title, takes keys and closes with Esc. With no Wayland
# compositor to reach it falls back to X11.
#
# The compositor is sway on wlroots' headless backend with the software
# renderer (WLR_BACKENDS=headless, WLR_RENDERER=pixman); keys come from wtype
# (virtual keyboard) and pictures from grim (screencopy). wlroots refuses to
# run as root, so under root the compositor and the game run as the
# unprivileged user "nobody".
source "$(dirname "$0")/lib.sh"
e2e_setup "$1"
for tool in sway wtype grim swaymsg; do
    command -v "$tool" >/dev/null || e2e_fail "$tool is not installed (scripts/install-deps.sh test)"
done

as_player=()
if [[ $(id -u) == 0 ]]; then
    as_player=(setpriv --reuid=65534 --regid=65534 --clear-groups)
    chmod 711 "$E2E_ROOT"
    chown -R 65534:65534 "$E2E_DIR"
fi
wl_run=$E2E_ROOT/wayland-run  # the player's runtime folder, where the compositor's socket lies
mkdir -m 700 "$wl_run" "$E2E_ROOT/wayland-home"
[[ ${#as_player[@]} -eq 0 ]] || chown 65534:65534 "$wl_run" "$E2E_ROOT/wayland-home"
printf 'xwayland disable\ndefault_border none\n' >"$E2E_ROOT/sway.conf"

# Runs a command as the player in the compositor's session.
in_session() {
    "${as_player[@]}" env -i PATH=/usr/bin:/bin HOME="$E2E_ROOT/wayland-home" \
        XDG_RUNTIME_DIR="$wl_run" WAYLAND_DISPLAY="$socket" "$@"
}

"${as_player[@]}" env -i PATH=/usr/bin:/bin HOME="$E2E_ROOT/wayland-home" XDG_RUNTIME_DIR="$wl_run" \
    WLR_BACKENDS=headless WLR_LIBINPUT_NO_DEVICES=1 WLR_RENDERER=pixman \
    sway -c "$E2E_ROOT/sway.conf" >"$E2E_ROOT/sway.log" 2>&1 &
SWAY_PID=$!
trap 'status=$?; kill "$SWAY_PID" 2>/dev/null; wait "$SWAY_PID" 2>/dev/null; e2e_cleanup "$status"' EXIT
socket_ready() { socket=$(cd "$wl_run" && ls wayland-[0-9] 2>/dev/null | head -n 1) && [[ -n "$socket" ]]; }
wait_until 10 "sway did not start (see its log, sway.log)" socket_ready

# Both a Wayland compositor and an X server (Xvfb, DISPLAY) are there: the
# game must take Wayland.
# The game gets the player's session and what the harness sets for every
# program it tests: the sanitizers' and GL validation's settings and the
# absent session bus. The leak checker also takes the entries for SDL's
# Wayland backend (see tests/sanitizer/lsan-wayland.supp).
sanitizer_folder=$(cd "$(dirname "$0")/../sanitizer" && pwd)
cat "$sanitizer_folder/lsan.supp" "$sanitizer_folder/lsan-wayland.supp" >"$E2E_ROOT/lsan-wayland.supp"
passed=("LSAN_OPTIONS=${LSAN_OPTIONS:-}:suppressions=$E2E_ROOT/lsan-wayland.supp") # the last one counts
for name in ASAN_OPTIONS UBSAN_OPTIONS TESSARY_GL_DEBUG DBUS_SESSION_BUS_ADDRESS; do
    [[ -n "${!name:-}" ]] && passed+=("$name=${!name}")
done
(cd "$E2E_ROOT" && exec "${as_player[@]}" env -i PATH=/usr/bin:/bin HOME="$E2E_ROOT/wayland-home" \
    XDG_RUNTIME_DIR="$wl_run" WAYLAND_DISPLAY="$socket" DISPLAY="$DISPLAY" TESSARY_STARTUP_TRACE=1 \
    "${passed[@]}" "$E2E_DIR/tessary") >"$E2E_DIR/stdout.log" 2>"$E2E_DIR/stderr.log" &
GAME_PID=$!
driver_named() { grep -q "video driver" "$E2E_DIR/stderr.log"; }
wait_until 15 "the game presented no frame" driver_named
grep -q "video driver wayland$" "$E2E_DIR/stderr.log" ||
    e2e_fail "not on Wayland: $(grep "video driver" "$E2E_DIR/stderr.log")"
x_windows=$(xwininfo -root -tree) || e2e_fail "xwininfo could not list the X windows"
! grep -q '"Tessary"' <<<"$x_windows" || e2e_fail "a window opened on X11 as well"
tree=$(in_session SWAYSOCK="$(ls "$wl_run"/sway-ipc.*.sock)" swaymsg -t get_tree)
grep -q '"app_id": "tessary"' <<<"$tree" || e2e_fail "no window with the application id tessary"

mask=$E2E_ROOT/title-mask.png
make_title_mask "$mask"
shot=$E2E_ROOT/wayland.png
title_on_wayland() { in_session grim - >"$shot" && shows_title "$shot" "$mask"; }
wait_until 10 "the title did not appear on Wayland" title_on_wayland

# wtype's virtual keyboard joins the seat first; the keys follow once the game
# has it (-s waits in milliseconds).
in_session wtype -s 1000 -k Down -s 300 || e2e_fail "wtype could not send Down"
# The items at rest no longer match once the cursor has left START; the logo still does.
logo_mask=$E2E_ROOT/logo-mask.png
make_logo_mask "$logo_mask"
cursor_on_ranking() {
    in_session grim - >"$shot" && shows_title "$shot" "$logo_mask" && ! shows_title "$shot" "$mask"
}
wait_until 5 "Down did not move the title's cursor" cursor_on_ranking
in_session wtype -s 500 -k Escape -s 300 || e2e_fail "wtype could not send Esc"
wait_exit "$GAME_PID" 10
GAME_PID=
[[ "$EXIT_CODE" == 0 ]] || e2e_fail "exit code $EXIT_CODE on Wayland"
[[ $(stat -c %s "$E2E_DIR/Game.ini") == 512 ]] || e2e_fail "no Game.ini after Esc on Wayland"

# No compositor at the named socket: the game falls back to X11.
rm -f "$E2E_DIR/Game.ini"
start_game env WAYLAND_DISPLAY=wayland-none TESSARY_STARTUP_TRACE=1
window=$(wait_window)
wait_until 10 "no frame on X11" driver_named
grep -q "video driver x11$" "$E2E_DIR/stderr.log" ||
    e2e_fail "fallback: $(grep "video driver" "$E2E_DIR/stderr.log")"
press_key "$window" Escape
wait_exit "$GAME_PID" 10
GAME_PID=
[[ "$EXIT_CODE" == 0 && -f "$E2E_DIR/Game.ini" ]] || e2e_fail "the X11 fallback did not close cleanly"
echo "PASS"
