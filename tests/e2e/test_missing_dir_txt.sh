#!/usr/bin/env bash
# Without dir.txt the program ends at once with the failure status 1, no
# window, and one line on standard error names the missing file and why.
source "$(dirname "$0")/lib.sh"
e2e_setup "$1"
rm "$E2E_DIR/dir.txt"

start_game
wait_exit "$GAME_PID" 5
code=$EXIT_CODE
GAME_PID=
[[ "$code" == 1 ]] || e2e_fail "exit code $code"
grep -qxF "Tessary: could not open $(realpath "$E2E_DIR")/dir.txt: No such file or directory" \
    "$E2E_DIR/stderr.log" || e2e_fail "no line naming dir.txt on standard error"
[[ ! -e "$E2E_DIR/Game.ini" ]] || e2e_fail "Game.ini was written"
echo "PASS"
