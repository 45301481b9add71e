#!/usr/bin/env bash
# The real program's CPU on the screens that mostly repeat their picture
# (the title, a game in play, a paused game, the options and ranking
# windows), beside the bare floor of the same X server and driver, as rows of
# perf_table.sh's table (markdown, on standard output; progress on standard
# error).
#
#   bench/redraw_cpu.sh [build]     (default: build/, with baseline_stack built)
#
# Settings (environment):
#   PERF_CPU_SECONDS=15   seconds of CPU measured per screen and program
#   PERF_REDRAW_ROUNDS=3  rounds; each screen's figure is the median of its rounds
#   PERF_AGAINST=<game folder>  another build (an older commit's build/game),
#                         measured in turn with this one, screen by screen
#
# Every program runs in timer mode 2 (sleep) with sound on OpenAL's null
# driver; a screen is measured from one second after it showed.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "${1:-$here/../build}" && pwd)
cpu_seconds=${PERF_CPU_SECONDS:-15}
rounds=${PERF_REDRAW_ROUNDS:-3}
against=${PERF_AGAINST:-}
note() { echo "redraw_cpu: $*" >&2; }
[[ -x "$build/game/tessary" && -x "$build/bench/baseline_stack" ]] ||
    { note "not built in $build: game/tessary, bench/baseline_stack"; exit 1; }
[[ -z "$against" || -x "$against/tessary" ]] || { note "PERF_AGAINST names no program folder: $against"; exit 1; }
against=${against:+$(cd "$against" && pwd)}

source "$here/../tests/e2e/lib.sh"
e2e_setup "$build/game"
export ALSOFT_DRIVERS=${ALSOFT_DRIVERS:-null}
mask=$E2E_ROOT/title-mask.png
make_title_mask "$mask"
clock_ticks=$(getconf CLK_TCK)

cpu_percent() {
    local before after
    before=$(awk '{ print $14 + $15 }' "/proc/$GAME_PID/stat")
    sleep "$cpu_seconds"
    after=$(awk '{ print $14 + $15 }' "/proc/$GAME_PID/stat")
    awk -v a="$before" -v b="$after" -v t="$clock_ticks" -v s="$cpu_seconds" \
        'BEGIN { printf "%.1f", 100 * (b - a) / t / s }'
}
median() { sort -g | awk '{ a[NR] = $1 } END { print NR % 2 ? a[(NR + 1) / 2] : (a[NR / 2] + a[NR / 2 + 1]) / 2 }'; }
in_play() { shows_region "$1" "$SCREENS/play.png" 140x50+60+35; }

# Starts the program of folder $1 on the title, brings up screen $2 and
# prints its CPU.
screen_cpu() {
    local program=$1 screen=$2 window
    E2E_SOURCE=$program
    fresh_program_folder
    write_settings "$E2E_DIR/Game.ini" 18=2
    start_game
    window=$(wait_window)
    wait_until 10 "no title" screen_shows "$window" shows_title "$mask"
    case $screen in
        play | paused)
            tap_keys "$window" z
            wait_until 10 "the play screen did not appear" screen_shows "$window" in_play
            [[ $screen == paused ]] && tap_keys "$window" a
            ;;
        ranking) tap_keys "$window" Down z ;;
        options) tap_keys "$window" Down Down z ;;
    esac
    sleep 1
    cpu_percent
    press_key "$window" Escape
    wait_exit "$GAME_PID" 10
    GAME_PID=
}

screens=(title play paused options ranking)
declare -A this_cpu=() that_cpu=()
for round in $(seq "$rounds"); do
    for screen in "${screens[@]}"; do
        note "round $round: $screen"
        this_cpu[$screen]+="$(screen_cpu "$build/game" "$screen") "
        [[ -z "$against" ]] || that_cpu[$screen]+="$(screen_cpu "$against" "$screen") "
    done
done
for screen in "${screens[@]}"; do
    this=$(tr ' ' '\n' <<<"${this_cpu[$screen]}" | grep . | median)
    value="$this % of a core"
    if [[ -n "$against" ]]; then
        that=$(tr ' ' '\n' <<<"${that_cpu[$screen]}" | grep . | median)
        value+="; $that % for $against, $(awk -v a="$this" -v b="$that" 'BEGIN { printf "%.2f", (b > 0 ? a / b : 0) }') × that"
    fi
    echo "| Program CPU, $screen, timer mode 2 | $value | play, paused, options, ranking ≤ 0.5 × the build before redrawing only what changed; title no more | /proc/PID/stat of the real program under Xvfb (llvmpipe), $cpu_seconds s a screen, median of $rounds rounds, the programs in turn |"
done

note "the bare floor: baseline_stack at 60 frames a second"
for draw in clear opaque blended two-blended; do
    out=$("$build/bench/baseline_stack" --timed="$cpu_seconds" --draw="$draw") || { note "baseline_stack failed"; exit 1; }
    cpu=$(sed -nE 's/.*CPU ([0-9.]+) % of a core.*/\1/p' <<<"$out")
    echo "| Bare floor, $draw, 60 Hz | $cpu % of a core | | baseline_stack --timed --draw=$draw: SDL2 window 1280 × 720, GL 3.3 core, OpenAL, same X server and driver, $cpu_seconds s |"
done
