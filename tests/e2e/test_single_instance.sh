#!/usr/bin/env bash
# A second copy started while the first runs ends at once with exit code 0,
# saying nothing (it never gets as far as a window or a GL context), and the
# first keeps running with its one window.
source "$(dirname "$0")/lib.sh"
e2e_setup "$1"

start_game
first=$GAME_PID
window=$(wait_window)

"$E2E_DIR/tessary" >"$E2E_ROOT/second.log" 2>&1 &
second=$!
wait_exit "$second" 5
code=$EXIT_CODE
[[ "$code" == 0 ]] || e2e_fail "second copy exit code $code"
[[ ! -s "$E2E_ROOT/second.log" ]] || e2e_fail "the second copy said: $(head -n 5 "$E2E_ROOT/second.log")"
kill -0 "$first" 2>/dev/null || e2e_fail "the first copy ended"
count=$(xdotool search --onlyvisible --name '^Tessary$' | wc -l)
[[ "$count" == 1 ]] || e2e_fail "$count windows titled Tessary"

press_key "$window" Escape
wait_exit "$first" 10
code=$EXIT_CODE
GAME_PID=
[[ "$code" == 0 ]] || e2e_fail "first copy exit code $code"
echo "PASS"
