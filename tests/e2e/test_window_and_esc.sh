#!/usr/bin/env bash
# A fresh program folder: the window "Tessary" opens, Esc closes it with exit
# code 0, and Game.ini (512 bytes of default settings) and dir.txt are written
# beside the program, not in the folder it was started from.
source "$(dirname "$0")/lib.sh"
e2e_setup "$1"

start_game
window=$(wait_window)
sleep 0.5
press_key "$window" Escape
wait_exit "$GAME_PID" 10
code=$EXIT_CODE
GAME_PID=
[[ "$code" == 0 ]] || e2e_fail "exit code $code"

[[ -f "$E2E_DIR/Game.ini" ]] || e2e_fail "Game.ini was not written"
expected=$E2E_ROOT/expected.ini
{
    # display 0, vsync 1, 1, texel offset 1e-6, 0.0, folder/pad/sound/font
    # bytes, then a fresh install's pad buttons: A, B, X, Y
    printf '\x00\x01\x00\x01\x01\xbd\x37\x86\x35\x00\x00\x00\x00\x01\x00\x00\x01\x01\x00\x01\x00\x01\x01\x01'
    printf '\x00\x01\x02\x03'
    head -c 484 /dev/zero
} >"$expected"
cmp "$expected" "$E2E_DIR/Game.ini" || e2e_fail "Game.ini differs: $(od -An -tx1 -N 40 "$E2E_DIR/Game.ini")"
dir_txt_rewritten
echo "PASS"
