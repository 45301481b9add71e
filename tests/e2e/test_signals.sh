#!/usr/bin/env bash
# SIGTERM, SIGINT and SIGHUP end the program as its close button does: in play
# the settings are saved and the status is 0; with a message box up the box
# goes at once, no second box follows (its lines still reach the terminal),
# and the status is the one OK would
# have given (1 for a failed start). A box is readable in the C locale: its
# picture under `env -i` is the one it has under C.UTF-8.
source "$(dirname "$0")/lib.sh"
e2e_setup "$1"
mask=$E2E_ROOT/title-mask.png
make_title_mask "$mask"

# The viewable top-level window with this caption, if one is shown.
box_window() {
    local id
    id=$(xwininfo -root -tree | awk -v name="\"$1\":" '$2 == name { print $1; exit }')
    [[ -n "$id" ]] && xwininfo -id "$id" | grep -q IsViewable && echo "$id"
}
# A start whose sound list is missing: a box, and after OK a second one.
failing_start() {
    fresh_program_folder
    rm "$E2E_DIR/data/ogg/ogg_0000.txt"
    start_game "$@" ALSOFT_DRIVERS=null
    wait_until 10 "no box" box_window Message >/dev/null
}

write_settings "$E2E_ROOT/fresh.ini"
for sig in TERM INT HUP; do
    fresh_program_folder
    start_game
    window=$(wait_window)
    wait_until 10 "$sig: no title" screen_shows "$window" shows_title "$mask"
    tap_keys "$window" z
    sleep 1
    kill -s "$sig" "$GAME_PID"
    wait_exit "$GAME_PID" 10
    [[ "$EXIT_CODE" == 0 ]] || e2e_fail "$sig in play: exit code $EXIT_CODE"
    cmp "$E2E_ROOT/fresh.ini" "$E2E_DIR/Game.ini" || e2e_fail "$sig in play: Game.ini not saved"

    failing_start env
    kill -s "$sig" "$GAME_PID"
    # The box goes before the program ends, and the next failure is only said.
    no_box() { [[ -z "$(box_window Message)$(box_window Error)" ]]; }
    wait_until 2 "$sig: the box is still up" no_box
    wait_exit "$GAME_PID" 5
    [[ "$EXIT_CODE" == 1 ]] || e2e_fail "$sig with a box up: exit code $EXIT_CODE"
    [[ $(grep -c '^Tessary: Message: ' "$E2E_DIR/stderr.log") == 2 ]] ||
        e2e_fail "$sig: not both failures on standard error: $(grep '^Tessary: ' "$E2E_DIR/stderr.log")"
    echo "$sig: in play 0, with a box 1"
done
GAME_PID=

# The same box in the C locale and in C.UTF-8 (the sanitizers' settings and
# the test's display kept).
boxes=()
for locale in "" C.UTF-8; do
    failing_start env -i DISPLAY="$DISPLAY" XDG_RUNTIME_DIR="$XDG_RUNTIME_DIR" \
        DBUS_SESSION_BUS_ADDRESS="$DBUS_SESSION_BUS_ADDRESS" ${locale:+LC_ALL=$locale} \
        ASAN_OPTIONS="$ASAN_OPTIONS" LSAN_OPTIONS="$LSAN_OPTIONS" UBSAN_OPTIONS="$UBSAN_OPTIONS"
    id=$(box_window Message)
    sleep 0.5
    boxes+=("$E2E_ROOT/box-${locale:-C}.png")
    screenshot "$id" "${boxes[-1]}"
    kill -s TERM "$GAME_PID"
    wait_exit "$GAME_PID" 5
done
GAME_PID=
[[ $(identify -format %wx%h "${boxes[0]}") == $(identify -format %wx%h "${boxes[1]}") ]] ||
    e2e_fail "the box has another size in the C locale"
differing=$(pixels_differing "${boxes[0]}" "${boxes[1]}" "$(identify -format %wx%h+0+0 "${boxes[1]}")")
[[ "$differing" -lt 20 ]] || e2e_fail "the box differs in the C locale ($differing pixels)"
echo "PASS"
