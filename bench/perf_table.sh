#!/usr/bin/env bash
# The program's performance figures in one table: start-up, resident memory
# beside that of the bare stack it stands on, CPU per frame, frame pacing, the
# program's CPU in each timer mode, input latency and music underruns under load.
# Progress goes to standard error, the table (markdown) to standard output.
#
#   bench/perf_table.sh [build]     (default: build/, a RelWithDebInfo build
#                                    with the benchmarks and xkey_sender built)
#
# Settings (environment):
#   PERF_STARTUP_RUNS=7      runs per sound mode for the start-up figure
#   PERF_SETTLE=3            seconds a screen runs before its memory is read
#   PERF_REPETITIONS=10      repetitions of each frame benchmark (medians)
#   PERF_PACING_FRAMES=600   frames per timer mode of the pacing harness
#   PERF_PACING_RUNS=5       runs of the pacing harness (medians of their figures)
#   PERF_CPU_SECONDS=15      seconds the program's CPU is measured per timer mode and screen
#   PERF_PRESSES=50          key presses per timer mode for the latency
#   PERF_LATENCY_MODES="0 1 2 3"   timer modes the latency is measured in
#   PERF_AUDIO_SECONDS=600   seconds of music streamed with the other core busy
#   PERF_AGAINST=<game folder>  another build (an older commit's build/game) whose
#                            start-up, frame pacing (its bench/frame_pacing) and CPU
#                            on the screens that repeat their picture are measured
#                            in turn with this one's
#   PERF_REDRAW_ROUNDS=3     rounds of those screens' CPU (bench/redraw_cpu.sh)
#
# A default run takes about 18 minutes, ten of them the music stream.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "${1:-$here/../build}" && pwd)
startup_runs=${PERF_STARTUP_RUNS:-7}
settle=${PERF_SETTLE:-3}
repetitions=${PERF_REPETITIONS:-10}
pacing_frames=${PERF_PACING_FRAMES:-600}
pacing_runs=${PERF_PACING_RUNS:-5}
cpu_seconds=${PERF_CPU_SECONDS:-15}
presses=${PERF_PRESSES:-50}
latency_modes=${PERF_LATENCY_MODES:-0 1 2 3}
audio_seconds=${PERF_AUDIO_SECONDS:-600}

note() { echo "perf_table: $*" >&2; }
die() {
    note "$*"
    exit 1
}

for value in "$startup_runs" "$settle" "$repetitions" "$pacing_frames" "$pacing_runs" "$cpu_seconds" \
    "$presses" "$audio_seconds"; do
    [[ "$value" =~ ^[1-9][0-9]*$ ]] || die "the PERF_ settings take whole numbers above 0, not \"$value\""
done
for mode in $latency_modes; do
    [[ "$mode" =~ ^[0-3]$ ]] || die "PERF_LATENCY_MODES takes timer modes 0..3, not \"$mode\""
done
missing=()
for file in game/tessary bench/frame_pacing bench/audio_figures bench/bench_screens \
    bench/xkey_sender bench/baseline_stack; do
    [[ -x "$build/$file" ]] || missing+=("$file")
done
[[ ${#missing[@]} -eq 0 ]] ||
    die "not built in $build: ${missing[*]} (cmake --build $build --target tessary frame_pacing" \
        "audio_figures bench_screens xkey_sender baseline_stack; xkey_sender needs libxtst-dev," \
        "bench_screens libbenchmark-dev)"

rows=()
# row FIGURE VALUE TARGET HOW
row() { rows+=("| $1 | $2 | $3 | $4 |"); }

# Prints "median p99 max count" of numbers, one a line (p99 by nearest rank).
stats() {
    sort -g | awk '{ a[NR] = $1 }
        END {
            if (NR == 0) { print "- - - 0"; exit }
            median = NR % 2 ? a[(NR + 1) / 2] : (a[NR / 2] + a[NR / 2 + 1]) / 2
            rank = int(0.99 * NR); if (rank < 0.99 * NR) rank++
            print median, a[rank], a[NR], NR
        }'
}

# ---- 1. Start-up -----------------------------------------------------------------

load_before=$(cut -d' ' -f1 /proc/loadavg)
note "start-up to the first presented frame, $startup_runs runs per sound mode"
against=${PERF_AGAINST:-}
[[ -z "$against" || -x "$against/tessary" ]] || die "PERF_AGAINST names no program folder: $against"
startup=$(bash "$here/startup_time.sh" "$build/game" "$startup_runs" ${against:+"$against"})
for mode in ogg wav; do
    inside="" outside=""
    read -r inside outside < <(awk -v m="$mode" '$1 == m { print $2, $3 }' <<<"$startup") || true
    [[ -n "${inside:-}" ]] || die "no $mode line from startup_time.sh: $startup"
    name=$([[ $mode == ogg ]] && echo "Ogg Vorbis" || echo WAVE)
    row "Start-up to first presented frame, $name" "$inside ms ($outside ms from launch)" "" \
        "program's own report (TESSARY_STARTUP_TRACE) under Xvfb, median of $startup_runs runs (bench/startup_time.sh)"
    [[ -n "$against" ]] || continue
    other=""
    read -r other _ < <(awk -v m="$mode@2" '$1 == m { print $2, $3 }' <<<"$startup") || true
    [[ -n "${other:-}" ]] || die "no $mode@2 line from startup_time.sh: $startup"
    row "Start-up, $name, against $against" \
        "$other ms there; this build $(awk -v a="$inside" -v b="$other" 'BEGIN { printf "%.2f", a / b }') × that" \
        "no worse (≤ 1)" "the two programs started in turn, same runs"
done

# ---- 3. CPU per frame ------------------------------------------------------------

note "frames of the title, options and play screens on the GL device, $repetitions repetitions each"
screens_csv=$("$build/bench/bench_screens" --benchmark_repetitions="$repetitions" \
    --benchmark_report_aggregates_only=true --benchmark_format=csv)
# Prints "real_time cpu_time" (ms) of a benchmark's median (of its only run
# when there is one repetition).
screen_median() {
    awk -F, -v want="$1" '{ name = $1; gsub(/"/, "", name) }
        index(name, want "/") != 1 { next }
        name ~ /_median$/ { median = $3 " " $4 }
        name ~ /real_time$/ { single = $3 " " $4 }
        END { if (median != "") print median; else if (single != "") print single }' \
        <<<"$screens_csv"
}
for screen in title options play; do
    wall="" thread="" process=""
    read -r wall thread < <(screen_median "BM_Screen/$screen/thread_cpu") || true
    read -r _ process < <(screen_median "BM_Screen/$screen/process_cpu") || true
    [[ -n "${thread:-}" && -n "${process:-}" ]] || die "no medians for $screen from bench_screens"
    row "CPU per frame, $screen screen" \
        "$(printf 'main thread %.2f ms, process %.2f ms, wall %.2f ms' "$thread" "$process" "$wall")" \
        "wall ≤ 8.3 ms (half a frame)" \
        "bench_screens: scene + RenderFrame + glFinish on llvmpipe (offscreen), median of $repetitions"
done

# ---- 4. Frame pacing -------------------------------------------------------------

note "frame pacing, $pacing_frames frames in each timer mode, $pacing_runs runs"
# Runs take turns with the other build's when there is one, so that both meet
# the same moments of a shared machine; each figure is the median of the runs.
against_pacing=""
[[ -n "$against" && -x "$against/../bench/frame_pacing" ]] && against_pacing=$against/../bench/frame_pacing
pacing="" against_lines=""
for _ in $(seq "$pacing_runs"); do
    pacing+=$("$build/bench/frame_pacing" "$pacing_frames")$'\n'
    [[ -z "$against_pacing" ]] || against_lines+=$("$against_pacing" "$pacing_frames")$'\n'
done
# Prints "mean p99 cpu", each the median over the runs, of one timer mode's lines.
pacing_medians() {
    local lines column medians=()
    lines=$(awk -v m="$2" '$1 == m { print $(NF - 2), $(NF - 1), $NF }' <<<"$1")
    [[ -n "$lines" ]] || return 0
    for column in 1 2 3; do
        medians+=("$(cut -d' ' -f"$column" <<<"$lines" | stats | cut -d' ' -f1)")
    done
    echo "${medians[@]}"
}
names=("timeGetTime, yield loop" "PerformanceCounter, busy poll" "Sleep" "No Wait")
for mode in 0 1 2 3; do
    mean="" p99="" cpu=""
    read -r mean p99 cpu < <(pacing_medians "$pacing" "$mode") || true
    [[ -n "${mean:-}" ]] || die "no timer mode $mode line from frame_pacing: $pacing"
    target="mean 16.667 ms"
    [[ $mode == 3 ]] && target="unpaced"
    row "Frame period, timer mode $mode (${names[mode]})" \
        "mean $mean ms, 99th percentile of \|period − 16.667 ms\| $p99 ms, CPU $cpu % of a core" \
        "$target" "frame_pacing: the real frame loop and clocks, no scene; medians of $pacing_runs runs"
    [[ -n "$against_pacing" && $mode != 3 ]] || continue
    read -r mean p99 cpu < <(pacing_medians "$against_lines" "$mode") || true
    row "Frame period, timer mode $mode, against $against" \
        "mean $mean ms, 99th percentile $p99 ms, CPU $cpu % of a core" "" \
        "its frame_pacing, run in turn with this build's"
done

# ---- 2. and 5. The real program under Xvfb -----------------------------------------

source "$here/../tests/e2e/lib.sh"
sender_pid=""
spinner_pid=""
perf_cleanup() {
    local status=$?
    [[ -n "$sender_pid" ]] && kill "$sender_pid" 2>/dev/null
    [[ -n "$spinner_pid" ]] && kill "$spinner_pid" 2>/dev/null
    e2e_cleanup "$status"
}
e2e_setup "$build/game"
trap perf_cleanup EXIT
export ALSOFT_DRIVERS=${ALSOFT_DRIVERS:-null} # sound on, in real time, without a sound card
mask=$E2E_ROOT/title-mask.png
make_title_mask "$mask"

# Prints "VmRSS VmHWM" of the program in MiB.
memory() {
    awk '/^VmRSS:/ { rss = $2 } /^VmHWM:/ { hwm = $2 }
        END { printf "%.1f %.1f\n", rss / 1024, hwm / 1024 }' "/proc/$GAME_PID/status"
}
memory_row() {
    local screen=$1 sound=$2 rss hwm
    read -r rss hwm < <(memory)
    row "Resident memory, $screen ($sound)" "VmRSS $rss MiB, VmHWM $hwm MiB" "" \
        "/proc/PID/status of the real program under Xvfb, $settle s after the screen showed"
}
# Starts a fresh copy of the program with the given Game.ini bytes and waits
# for the title; leaves its window in WINDOW.
start_on_title() {
    fresh_program_folder
    write_settings "$E2E_DIR/Game.ini" "$@"
    start_game "${LAUNCH[@]}"
    WINDOW=$(wait_window)
    wait_until 10 "no title" screen_shows "$WINDOW" shows_title "$mask"
}
stop_game() {
    press_key "$WINDOW" Escape
    wait_exit "$GAME_PID" 10
    GAME_PID=
}
options_open() { [[ "$(shown_options "$1")" == "0 1 0 0 0 1 2 3 0" ]]; }  # pad rows: A, B, X, Y
in_play() {
    shows_region "$1" "$SCREENS/play.png" 140x50+60+35 && # SCORE
        shows_region "$1" "$SCREENS/play.png" 90x40+812+132 # NEXT
}

# The bare stack under the same X server and sound driver: what any program
# with this window, context, sound device and texture array holds; and the
# same drawing one textured quad, which brings in llvmpipe's shader compiler.
note "resident memory of the bare stack (baseline_stack)"
baseline_rss() {
    local out rss
    out=$("$build/bench/baseline_stack" "$@" 120) || die "baseline_stack $* failed"
    rss=$(sed -nE 's/^baseline: VmRSS ([0-9]+) kB.*/\1/p' <<<"$out")
    [[ -n "$rss" ]] || die "no figure from baseline_stack: $out"
    echo "$rss"
}
base_rss=$(baseline_rss)
draw_rss=$(baseline_rss --draw)
row "Resident memory, the bare stack" \
    "$(awk -v k="$base_rss" -v d="$draw_rss" 'BEGIN { printf "VmRSS %.1f MiB; %.1f MiB drawing one textured quad", k / 1024, d / 1024 }')" "" \
    "baseline_stack [--draw]: SDL2 window, GL 3.3 core context, OpenAL device, 8-layer 512 × 512 texture array, 120 frames, same X server and sound driver"

LAUNCH=()
for sound in 1 2; do
    name=$([[ $sound == 1 ]] && echo "Ogg Vorbis" || echo WAVE)
    note "resident memory on the title, in the options window and in play ($name)"
    start_on_title 21=$sound
    sleep "$settle"
    memory_row title "$name"
    read -r rss _ < <(memory)
    limit=$([[ $sound == 1 ]] && echo 30 || echo 20)
    row "Resident memory over the bare stack, title ($name)" \
        "$(awk -v g="$rss" -v k="$base_rss" -v d="$draw_rss" 'BEGIN { printf "%.1f MiB (%.1f MiB over the drawing one)", g - k / 1024, g - d / 1024 }')" \
        "≤ $limit MB" "the two rows above, same run"
    tap_keys "$WINDOW" Down Down z
    wait_until 10 "the options window did not open" screen_shows "$WINDOW" options_open
    sleep "$settle"
    memory_row "options window" "$name"
    stop_game
    start_on_title 21=$sound
    tap_keys "$WINDOW" z
    wait_until 10 "the play screen did not appear" screen_shows "$WINDOW" in_play
    sleep "$settle"
    memory_row play "$name"
    stop_game
done

# The program's CPU in each timer mode, on the title and in play: the wait
# at the end of each frame is what differs between the modes.
clock_ticks=$(getconf CLK_TCK)
# Prints the CPU (user + system) of a process in clock ticks.
cpu_ticks() { awk '{ print $14 + $15 }' "/proc/$1/stat"; }
cpu_percent() {
    local before after
    before=$(cpu_ticks "$GAME_PID")
    sleep "$cpu_seconds"
    after=$(cpu_ticks "$GAME_PID")
    awk -v a="$before" -v b="$after" -v t="$clock_ticks" -v s="$cpu_seconds" \
        'BEGIN { printf "%.0f", 100 * (b - a) / t / s }'
}
mode_names=("timeGetTime" "PerformanceCounter" "Sleep" "No Wait")
for mode in 0 1 2 3; do
    note "CPU in timer mode $mode: $cpu_seconds s on the title, $cpu_seconds s in play"
    start_on_title 18=$mode
    sleep 1
    title_cpu=$(cpu_percent)
    tap_keys "$WINDOW" z
    wait_until 10 "the play screen did not appear" screen_shows "$WINDOW" in_play
    play_cpu=$(cpu_percent)
    stop_game
    row "Program CPU, timer mode $mode (${mode_names[mode]})" \
        "title $title_cpu %, play $play_cpu % of a core" \
        "$([[ $mode == [01] ]] && echo "title ≤ timer mode 2's + 10 points")" \
        "/proc/PID/stat of the real program under Xvfb (Ogg Vorbis), $cpu_seconds s on each screen"
done

# Input latency: Down presses on the title at random moments; each moves the
# cursor, and the frame whose input read sees it draws the move.
LAUNCH=(env TESSARY_TRACE=1)
for mode in $latency_modes; do
    note "input latency in timer mode $mode: $presses presses at random gaps of 150-400 ms"
    start_on_title 18=$mode
    sleep 0.5 # the menu is ready once it has seen a frame without a key
    focus_window "$WINDOW"
    "$build/bench/xkey_sender" Down "$presses" 150 400 50 >"$E2E_ROOT/sent.txt" &
    sender_pid=$!
    wait "$sender_pid" || die "xkey_sender failed"
    sender_pid=""
    sleep 0.5
    stop_game
    [[ $(grep -c '^press ' "$E2E_ROOT/sent.txt") == "$presses" ]] || die "xkey_sender sent too few presses"
    : >"$E2E_ROOT/latency.txt"
    # Each press is matched with the first frame, after it was sent and before
    # the next one was, whose input read saw a key go down.
    read -r period missed < <(awk -v out="$E2E_ROOT/latency.txt" '
        FNR == 1 { file++ }
        file == 1 && $1 == "press" { s[++n] = $3 }
        file == 2 && /^tessary: key press read at [0-9]+ ns, frame [0-9]+ presented at [0-9]+ ns$/ {
            r[++m] = $6; f[m] = $9; t[m] = $12 }
        END {
            j = 1
            for (i = 1; i <= n; i++) {
                while (j <= m && t[j] < s[i]) j++
                if (j <= m && (i == n || t[j] < s[i + 1])) {
                    print (t[j] - s[i]) / 1e6, (t[j] - r[j]) / 1e6 > out
                    j++
                }
                else missed++
            }
            printf "%.4f %d\n", (m > 1 ? (t[m] - t[1]) / (f[m] - f[1]) / 1e6 : 0), missed + 0
        }' "$E2E_ROOT/sent.txt" "$E2E_DIR/stderr.log")
    read -r median p99 max count < <(stats <"$E2E_ROOT/latency.txt")
    [[ "$count" -gt 0 ]] || die "no press of timer mode $mode reached the screen"
    # Each press against its own limit: one frame period plus the work of the
    # frame that showed it (from its input read to its present); also the
    # longest wait before a read and the longest such frame.
    read -r over wait work < <(awk -v p="$period" '
        { if ($1 > p + $2) n++; if ($1 - $2 > w) w = $1 - $2; if ($2 > k) k = $2 }
        END { printf "%d %.1f %.1f\n", n, w, k }' "$E2E_ROOT/latency.txt")
    row "Input latency, timer mode $mode (${mode_names[mode]})" \
        "$(printf 'median %.1f ms, 99th percentile %.1f ms, max %.1f ms (%d of %d presses seen, %d over their limit; longest wait for the input read %.1f ms, longest frame from read to present %.1f ms)' \
            "$median" "$p99" "$max" "$count" "$presses" "$over" "$wait" "$work")" \
        "each ≤ period $(printf '%.2f' "$period") ms + its frame's read-to-present time" \
        "xkey_sender (XTest, monotonic ns at flush) to the program's trace of the first frame showing the press (TESSARY_TRACE), Down on the title under Xvfb"
    note "  period $period ms, median $median ms, max $max ms, $missed missed"
done

# ---- Redrawing only what changed ----------------------------------------------------

note "CPU on the screens that repeat their picture, and the bare floor (bench/redraw_cpu.sh)"
redraw_rows=$(PERF_CPU_SECONDS=$cpu_seconds PERF_AGAINST=$against bash "$here/redraw_cpu.sh" "$build") ||
    die "redraw_cpu.sh failed"
while IFS= read -r line; do
    rows+=("$line")
done <<<"$redraw_rows"

# ---- 6. Music under load -----------------------------------------------------------

note "music streaming for $audio_seconds s with the other core busy"
timeout $((audio_seconds + 60)) sh -c 'while :; do :; done' &
spinner_pid=$!
audio=$("$build/bench/audio_figures" load "$audio_seconds") || true
kill "$spinner_pid" 2>/dev/null || true
wait "$spinner_pid" 2>/dev/null || true
spinner_pid=""
underruns=$(awk '/underruns:/ { print $2 }' <<<"$audio")
passes=$(sed -nE 's/.*period mean ([0-9.]+) ms, longest ([0-9.]+) ms.*/\1 \2/p' <<<"$audio")
[[ -n "$underruns" && -n "$passes" ]] || die "no figures from audio_figures: $audio"
read -r pass_mean pass_longest <<<"$passes"
row "Music underruns, $audio_seconds s with the other core busy" \
    "$underruns (stream pass every $pass_mean ms on average, longest $pass_longest ms)" "0" \
    "audio_figures load: the real stream thread on OpenAL's null device, a spinning process on the other core"

# ---- The table ---------------------------------------------------------------------

echo "| figure | value | target / limit | how measured |"
echo "|---|---|---|---|"
for line in "${rows[@]}"; do
    echo "$line" | sed 's/|  |/| — |/'
done
echo
echo "$(nproc) cores; load average $load_before at the start, $(cut -d' ' -f1 /proc/loadavg) at the end."
