#!/usr/bin/env bash
# Power cut while saving: starts the real program under Xvfb, closes it with
# Esc (which writes Game.ini) and kills it with SIGKILL a random 0..300 ms
# later, many times. After every kill Game.ini must be exactly the old file
# or exactly the new one: never a mix, never short, never missing.
# Usage: bench/power_cut.sh [build/game] [runs]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../tests/e2e/lib.sh"
game=$(cd "${1:-$here/../build/game}" && pwd)
runs=${2:-1000}
e2e_setup "$game"
export ALSOFT_DRIVERS=null

# The old file: a settings file whose vertical-sync byte (3) holds 7, which
# the program writes back as 1; the new file is what a clean exit writes.
start_game
window=$(wait_window)
press_key "$window" Escape
wait_exit "$GAME_PID" 10
cp "$E2E_DIR/Game.ini" "$E2E_ROOT/new.ini"
cp "$E2E_DIR/Game.ini" "$E2E_ROOT/old.ini"
printf '\x07' | dd of="$E2E_ROOT/old.ini" bs=1 seek=3 conv=notrunc status=none
cp "$E2E_ROOT/old.ini" "$E2E_DIR/Game.ini"
start_game
window=$(wait_window)
press_key "$window" Escape
wait_exit "$GAME_PID" 10
cmp -s "$E2E_DIR/Game.ini" "$E2E_ROOT/new.ini" || e2e_fail "a clean exit did not write the expected file"

old=0 new=0 midsave=0
for i in $(seq "$runs"); do
    cp "$E2E_ROOT/old.ini" "$E2E_DIR/Game.ini"
    rm -f "$E2E_DIR/Game.ini.new"
    start_game
    window=$(wait_window)
    press_key "$window" Escape
    sleep "0.$(printf '%03d' $((RANDOM % 301)))"
    kill -9 "$GAME_PID" 2>/dev/null || true
    wait "$GAME_PID" 2>/dev/null || true
    # A half-written temporary file left behind: the kill came during the save.
    [[ -e "$E2E_DIR/Game.ini.new" ]] && midsave=$((midsave + 1))
    if cmp -s "$E2E_DIR/Game.ini" "$E2E_ROOT/old.ini"; then
        old=$((old + 1))
    elif cmp -s "$E2E_DIR/Game.ini" "$E2E_ROOT/new.ini"; then
        new=$((new + 1))
    else
        ls -l "$E2E_DIR"/Game.ini* >&2 || true
        e2e_fail "run $i: Game.ini is neither the old nor the new file"
    fi
done
echo "power cut: $runs kills ($midsave during the write), Game.ini old $old times, new $new times, never anything else"
