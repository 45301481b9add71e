#!/usr/bin/env bash
# Without dir.txt the program ends at once, exit code 0, no window, and one
# line on standard error names the missing file.
source "$(dirname "$0")/lib.sh"
e2e_setup "$1"
rm "$E2E_DIR/dir.txt"

start_game
wait_exit "$GAME_PID" 5
code=$EXIT_CODE
GAME_PID=
[[ "$code" == 0 ]] || e2e_fail "exit code $code"
grep -q "dir.txt" "$E2E_DIR/stderr.log" || e2e_fail "no line naming dir.txt on standard error"
[[ ! -e "$E2E_DIR/Game.ini" ]] || e2e_fail "Game.ini was written"
echo "PASS"
