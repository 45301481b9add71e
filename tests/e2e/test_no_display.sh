#!/usr/bin/env bash
# With no display to reach, the program says so on standard error and ends
# with the failure status 1 instead of running invisibly.
source "$(dirname "$0")/lib.sh"
e2e_setup "$1"

(unset DISPLAY WAYLAND_DISPLAY SDL_VIDEODRIVER; cd "$E2E_ROOT" && exec "$E2E_DIR/tessary") \
    >"$E2E_DIR/stdout.log" 2>"$E2E_DIR/stderr.log" &
GAME_PID=$!
wait_exit "$GAME_PID" 10
GAME_PID=
[[ "$EXIT_CODE" == 1 ]] || e2e_fail "exit code $EXIT_CODE"
grep -qxF "Tessary: Message: 失敗" "$E2E_DIR/stderr.log" || e2e_fail "the failure message was not given"
grep -qxF "Tessary: could not create the window: no display to open a window on (is DISPLAY set?)" \
    "$E2E_DIR/stderr.log" || e2e_fail "no line saying why"
echo "PASS"
