#!/usr/bin/env bash
# With no display to reach, the program says so on standard error and ends
# with exit code 0 instead of running invisibly.
source "$(dirname "$0")/lib.sh"
e2e_setup "$1"

(unset DISPLAY WAYLAND_DISPLAY SDL_VIDEODRIVER; cd "$E2E_ROOT" && exec "$E2E_DIR/tessary") \
    >"$E2E_DIR/stdout.log" 2>"$E2E_DIR/stderr.log" &
GAME_PID=$!
wait_exit "$GAME_PID" 10
GAME_PID=
[[ "$EXIT_CODE" == 0 ]] || e2e_fail "exit code $EXIT_CODE"
grep -q "no display" "$E2E_DIR/stderr.log" || e2e_fail "no line about the missing display"
grep -q "失敗" "$E2E_DIR/stderr.log" || e2e_fail "the failure message was not given"
echo "PASS"
