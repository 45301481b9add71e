#!/usr/bin/env bash
# Start-up figures of the real program under Xvfb: the time from the
# program's start to its first presented frame, in both sound modes (median
# of several runs). The program reports the moment itself when
# TESSARY_STARTUP_TRACE is set; the wall time from launch to that report
# (which adds process creation and library loading) is shown beside it.
# Usage: bench/startup_time.sh [build/game] [runs]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../tests/e2e/lib.sh"
game=$(cd "${1:-$here/../build/game}" && pwd)
runs=${2:-7}
e2e_setup "$game"
export ALSOFT_DRIVERS=${ALSOFT_DRIVERS:-null}  # a real-time device even without a sound card

# One run to get a settings file to patch.
start_game
window=$(wait_window)
press_key "$window" Escape
wait_exit "$GAME_PID" 10
[[ -f "$E2E_DIR/Game.ini" ]] || e2e_fail "no Game.ini after the first run"
cp "$E2E_DIR/Game.ini" "$E2E_ROOT/base.ini"

median() { sort -n | awk '{a[NR]=$1} END {print (NR % 2) ? a[(NR + 1) / 2] : (a[NR / 2] + a[NR / 2 + 1]) / 2}'; }

printf '%-6s %28s %28s\n' mode "start to first frame (ms)" "launch to first frame (ms)"
for mode in ogg wav; do
    # Byte 21 of Game.ini: 1 selects Ogg Vorbis, 2 WAVE.
    cp "$E2E_ROOT/base.ini" "$E2E_DIR/Game.ini"
    value=1; [[ $mode == wav ]] && value=2
    printf "\\x0$value" | dd of="$E2E_DIR/Game.ini" bs=1 seek=21 conv=notrunc status=none
    inside=() outside=()
    for _ in $(seq "$runs"); do
        t0=$(date +%s%N)
        (cd "$E2E_ROOT" && TESSARY_STARTUP_TRACE=1 exec "$E2E_DIR/tessary") \
            >"$E2E_DIR/stdout.log" 2>"$E2E_DIR/stderr.log" &
        GAME_PID=$!
        line=""
        for _ in $(seq 1000); do
            line=$(grep -m1 'first frame presented' "$E2E_DIR/stderr.log" || true)
            [[ -n $line ]] && break
            sleep 0.005
        done
        t1=$(date +%s%N)
        [[ -n $line ]] || e2e_fail "no first frame reported"
        inside+=("$(sed -E 's/.* ([0-9]+) ms.*/\1/' <<<"$line")")
        outside+=("$(((t1 - t0) / 1000000))")
        kill "$GAME_PID"
        wait "$GAME_PID" 2>/dev/null || true
        cp "$E2E_ROOT/base.ini" "$E2E_DIR/Game.ini"
        printf "\\x0$value" | dd of="$E2E_DIR/Game.ini" bs=1 seek=21 conv=notrunc status=none
    done
    printf '%-6s %28s %28s\n' "$mode" "$(printf '%s\n' "${inside[@]}" | median)" \
        "$(printf '%s\n' "${outside[@]}" | median)"
done
