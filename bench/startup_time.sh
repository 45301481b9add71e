#!/usr/bin/env bash
# Start-up figures of the real program under Xvfb: the time from the
# program's start to its first presented frame, in both sound modes (median
# of several runs). The program reports the moment itself when
# TESSARY_STARTUP_TRACE is set; the wall time from launch to that report
# (which adds process creation and library loading) is shown beside it.
#
# Usage: bench/startup_time.sh [build/game] [runs] [other/game ...]
#
# With other program folders (another build, an older commit's), their runs
# take turns with the first program's, so that all meet the same load on a
# shared machine; their lines are named "ogg@2", "wav@2" and so on.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../tests/e2e/lib.sh"
game=$(cd "${1:-$here/../build/game}" && pwd)
runs=${2:-7}
others=()
for other in "${@:3}"; do
    others+=("$(cd "$other" && pwd)")
done
e2e_setup "$game"
export ALSOFT_DRIVERS=${ALSOFT_DRIVERS:-null}  # a real-time device even without a sound card

# One run to get a settings file to patch.
start_game
window=$(wait_window)
press_key "$window" Escape
wait_exit "$GAME_PID" 10
[[ -f "$E2E_DIR/Game.ini" ]] || e2e_fail "no Game.ini after the first run"
cp "$E2E_DIR/Game.ini" "$E2E_ROOT/base.ini"

# The program folders: the first is E2E_DIR, each other a copy beside it.
folders=("$E2E_DIR")
for i in "${!others[@]}"; do
    folder=$E2E_ROOT/game$((i + 2))
    cp -a "${others[i]}" "$folder"
    rm -f "$folder/Game.ini" "$folder"/save*.dat
    folders+=("$folder")
done

median() { sort -n | awk '{a[NR]=$1} END {print (NR % 2) ? a[(NR + 1) / 2] : (a[NR / 2] + a[NR / 2 + 1]) / 2}'; }

# One start of the program in a folder with the sound set given (byte 21 of
# Game.ini: 1 selects Ogg Vorbis, 2 WAVE); leaves the two times in ms in
# INSIDE and OUTSIDE.
time_start() {
    local folder=$1 value=$2 t0 t1 line=""
    cp "$E2E_ROOT/base.ini" "$folder/Game.ini"
    printf "\\x0$value" | dd of="$folder/Game.ini" bs=1 seek=21 conv=notrunc status=none
    t0=$(date +%s%N)
    (cd "$E2E_ROOT" && TESSARY_STARTUP_TRACE=1 exec "$folder/tessary") \
        >"$folder/stdout.log" 2>"$folder/stderr.log" &
    GAME_PID=$!
    for _ in $(seq 1000); do
        line=$(grep -m1 'first frame presented' "$folder/stderr.log" || true)
        [[ -n $line ]] && break
        sleep 0.005
    done
    t1=$(date +%s%N)
    kill "$GAME_PID"
    wait "$GAME_PID" 2>/dev/null || true
    GAME_PID=
    [[ -n $line ]] || e2e_fail "no first frame reported by $folder/tessary"
    INSIDE=$(sed -E 's/.* ([0-9]+) ms.*/\1/' <<<"$line")
    OUTSIDE=$(((t1 - t0) / 1000000))
}

printf '%-6s %28s %28s\n' mode "start to first frame (ms)" "launch to first frame (ms)"
for mode in ogg wav; do
    value=1
    [[ $mode == wav ]] && value=2
    declare -A inside=() outside=()
    for _ in $(seq "$runs"); do
        for i in "${!folders[@]}"; do
            time_start "${folders[i]}" "$value"
            inside[$i]+="$INSIDE "
            outside[$i]+="$OUTSIDE "
        done
    done
    for i in "${!folders[@]}"; do
        name=$mode
        ((i > 0)) && name=$mode@$((i + 1))
        printf '%-6s %28s %28s\n' "$name" "$(tr ' ' '\n' <<<"${inside[$i]}" | grep . | median)" \
            "$(tr ' ' '\n' <<<"${outside[$i]}" | grep . | median)"
    done
    unset inside outside
done
