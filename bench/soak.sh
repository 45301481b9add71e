#!/usr/bin/env bash
# Soak run of the real program: timer mode 3 (No Wait), so frames come as
# fast as the machine draws them, under Xvfb with random keys, for a number of
# frames or until a time cap. The driver knows which screen is showing from a
# screenshot taken every few seconds (a few regions compared with the README's
# screens) and acts by it: bursts of random game keys in play; from the title
# a game, the ranking window or the options window in turn.
# The pacing rows of the options window (display mode, vertical sync, timer,
# frame skip) must keep their values throughout, and nothing the driver does
# can change them: Left and Right reach the options window only after a
# screenshot has shown a volume, pad-button or colour row selected, and the
# game keys turn pieces with Up, which confirms nothing on the title, so keys
# sent after a game has ended open no window. Every options visit checks the
# four values on the screen.
# Now and then, on any screen, the driver switches to borderless full screen
# and back with Alt+Enter, or gives the focus to another X client for a moment.
# The program's own trace (TESSARY_TRACE) counts the frames: each round of the
# driver taps S, a key no screen uses, and reads the frame that saw it. VmRSS
# is sampled every 10 s. At the end Esc closes the program, which must exit
# with 0 and save the same pacing bytes in Game.ini.
# Fails on a crash, a non-zero exit, a changed pacing setting, a screen the
# driver cannot leave, or RSS growing more than 10 % after the first minute.
# Usage: bench/soak.sh [build/game] [frames=200000] [max-minutes=60]
# A short run of the sanitized program (every sanitizer report fails it, as
# in the end-to-end tests; its memory growth is shown, not judged, since the
# sanitizer's own quarantine grows with use):
#   TESSARY_GL_DEBUG=1 bench/soak.sh build-asan/game 1000000 5
# SOAK_SEED=<n> repeats the driver's choices (the timing still varies);
# E2E_KEEP=<folder> keeps the run's folder: the trace, the RSS samples, the
# driver's log of what each screenshot showed, the last screenshot.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../tests/e2e/lib.sh"
game=$(cd "${1:-$here/../build/game}" && pwd)
target_frames=${2:-200000}
max_minutes=${3:-60}
seed=${SOAK_SEED:-$((RANDOM * 32768 + RANDOM))}
RANDOM=$seed

# The trace fills the program's standard error: a failure shows the other
# lines and the last few of the trace.
e2e_fail() {
    echo "FAIL: $*" >&2
    if [[ -s "${E2E_DIR:-/nonexistent}/stderr.log" ]]; then
        { grep -v '^tessary: .* presented at ' "$E2E_DIR/stderr.log" | tail -n 20 || true
          tail -n 3 "$E2E_DIR/stderr.log"; } | sed 's/^/  game: /' >&2
    fi
    exit 1
}

e2e_setup "$game"
export ALSOFT_DRIVERS=null  # a real-time sound device without a sound card

# ---- Screens --------------------------------------------------------------------
# The pacing settings the run starts with and must keep: windowed, vertical
# sync off (nothing but the drawing holds a frame back), No Wait, no frame skip.
# Game.ini bytes 2, 3, 18 and 20; shown_options reads them in this order.
PACING_BYTES=("2=0" "3=0" "18=3" "20=0")
PACING_SHOWN="0 0 3 0"

# The regions a screenshot is measured in, and what the README's screens (or
# text drawn from the glyph sheet) show there.
REGION_SCORE=140x50+60+35     # the SCORE label of the play screen
REGION_NEXT=90x40+812+132     # the NEXT label
REGION_PAUSE=160x50+570+292   # PAUSE over the board
REGION_OVER=700x100+250+258   # the game-over picture
REGION_LOGO=606x120+446+144   # the title's logo
REGION_RANKING=144x64+592+24  # the ranking window's heading
REGION_LABELS=130x136+326+54  # the options window's labels SCREEN MODE to TIMER
REF=$E2E_ROOT/ref
mkdir -p "$REF"
convert "$SCREENS/play.png" -alpha off -crop $REGION_SCORE +repage "$REF/score.png"
convert "$SCREENS/play.png" -alpha off -crop $REGION_NEXT +repage "$REF/next.png"
convert "$SCREENS/pause.png" -alpha off -crop $REGION_PAUSE +repage "$REF/pause.png"
convert "$SCREENS/game-over.png" -alpha off -crop $REGION_OVER +repage "$REF/over.png"
convert "$TITLE_REFERENCE" -alpha off -crop $REGION_LOGO +repage "$REF/logo.png"
make_logo_mask "$REF/logo-mask-full.png"
convert "$REF/logo-mask-full.png" -crop $REGION_LOGO +repage "$REF/logo-mask.png"
text_layer "$REF/ranking-full.png" 32 64 16 592 24 RANKING
convert "$REF/ranking-full.png" -crop $REGION_RANKING +repage "$REF/ranking.png"
text_layer "$REF/labels-full.png" 16 32 10 326 54 "SCREEN MODE" 326 158 TIMER
convert "$REF/labels-full.png" -crop $REGION_LABELS +repage "$REF/labels.png"

# The title's highlight lines under its three items, and the options
# window's row highlights (rows 0..10: at 54 + 52 * row, or at 78 + 52 * row
# on the pad rows 6..9), inside their borders.
GOLD_REGIONS=(376x4+472+471 376x4+472+567 376x4+472+663)
for row in $(seq 0 10); do
    y=$((54 + 52 * row))
    [[ $row -ge 6 && $row -le 9 ]] && y=$((78 + 52 * row))
    GOLD_REGIONS+=("180x12+328+$((y + 4))")
done

# One ImageMagick run measures all the driver needs of a screenshot and
# prints, one a line: the pixels differing from the reference in the SCORE,
# NEXT, PAUSE, game-over and logo regions; the glyph pixels missing from the
# ranking heading and the option labels; then how golden (red and green
# against blue) each title highlight line and each options row highlight is.
measure() {
    local args=() region
    differing() {  # REGION REFERENCE [MASK]
        args+=(\( mpr:shot -crop "$1" +repage "$2" -compose difference -composite
               -separate -evaluate-sequence max)
        [[ $# -eq 3 ]] && args+=("$3" -compose multiply -composite)
        args+=(-threshold 3% -format '%[fx:int(mean*w*h+0.5)]\n' -write info: +delete \))
    }
    missing() {  # REGION LAYER
        args+=(\( mpr:shot -crop "$1" +repage \( +clone "$2" -compose over -composite \)
               -compose difference -composite -separate -evaluate-sequence max
               -threshold 8% -format '%[fx:int(mean*w*h+0.5)]\n' -write info: +delete \))
    }
    differing $REGION_SCORE "$REF/score.png"
    differing $REGION_NEXT "$REF/next.png"
    differing $REGION_PAUSE "$REF/pause.png"
    differing $REGION_OVER "$REF/over.png"
    differing $REGION_LOGO "$REF/logo.png" "$REF/logo-mask.png"
    missing $REGION_RANKING "$REF/ranking.png"
    missing $REGION_LABELS "$REF/labels.png"
    for region in "${GOLD_REGIONS[@]}"; do
        args+=(\( mpr:shot -crop "$region" +repage
               -format '%[fx:255 * (mean.r + mean.g - 2 * mean.b)]\n' -write info: +delete \))
    done
    convert "$1" -alpha off -write mpr:shot "${args[@]}" null:
}

# Prints the index of the largest of the numbers given, or -1 when it does
# not stand out from the second largest.
most_golden() {
    printf '%s\n' "$@" | awk '
        { v[NR - 1] = $1 }
        END {
            best = -1e9; second = -1e9; which = -1
            for (i = 0; i < NR; i++) {
                if (v[i] > best) { second = best; best = v[i]; which = i }
                else if (v[i] > second) second = v[i]
            }
            print (best - second >= 25 ? which : -1)
        }'
}

# Measures a screenshot and sets STATE to the screen it shows (play, paused,
# gameover, title without a window, ranking, options, or other: fading,
# opening, loading), CURSOR to the title item under the cursor and ROW to the
# selected options row (each -1 when not shown).
read_screen() {
    local m
    mapfile -t m < <(measure "$1")
    [[ ${#m[@]} -eq 21 ]] || e2e_fail "could not measure the screenshot: ${m[*]}"
    if [[ ${m[0]} -le 20 && ${m[1]} -le 20 ]]; then
        STATE=play
        [[ ${m[2]} -le 20 ]] && STATE=paused
    elif [[ ${m[3]} -le 20 ]]; then
        STATE=gameover
    elif [[ ${m[4]} -le 50 ]]; then
        STATE=title
    elif [[ ${m[5]} -le 10 ]]; then
        STATE=ranking
    elif [[ ${m[6]} -le 100 ]]; then
        STATE=options
    else
        STATE=other
CURSOR=-1
ROW=-1
    fi
    CURSOR=-1
    ROW=-1
    [[ $STATE == title ]] && CURSOR=$(most_golden "${m[@]:7:3}")
    [[ $STATE == options ]] && ROW=$(most_golden "${m[@]:10:11}")
    return 0
}

# ---- The run --------------------------------------------------------------------
SHOT=$E2E_ROOT/screen.png
STATE=other
CURSOR=-1
ROW=-1

# The time in microseconds, in NOW_US (no process started: the loop is busy).
clock_us() { NOW_US=${EPOCHREALTIME//[^0-9]/}; }

# Sleeps a number of microseconds.
sleep_us() { sleep "$(printf '%d.%06d' $(($1 / 1000000)) $(($1 % 1000000)))"; }

# The frame number and monotonic time (ns) of the trace's last line, in
# TRACE_FRAME and TRACE_NS (0 before any).
read_trace() {
    local line
    line=$(tail -n 1 "$E2E_DIR/stderr.log")
    TRACE_FRAME=0
    TRACE_NS=0
    if [[ $line =~ frame\ ([0-9]+)\ presented\ at\ ([0-9]+)\ ns ]]; then
        TRACE_FRAME=${BASH_REMATCH[1]}
        TRACE_NS=${BASH_REMATCH[2]}
    fi
}

# Taps S, which no screen uses, so that the trace reports the frame that
# read it; then reads the trace.
probe_frames() {
    xdotool key --clearmodifiers s
    sleep 0.1
    read_trace
}

# Frames a second between the last two probes at least 2 s apart (60
# until there are two).
FPS=60
RATE_FRAME=0
RATE_NS=0
update_rate() {
    if [[ $RATE_NS -gt 0 && $((TRACE_NS - RATE_NS)) -ge 2000000000 ]]; then
        FPS=$(((TRACE_FRAME - RATE_FRAME) * 1000000000 / (TRACE_NS - RATE_NS)))
        [[ $FPS -ge 5 ]] || FPS=5
    elif [[ $RATE_NS -gt 0 ]]; then
        return 0
    fi
    RATE_FRAME=$TRACE_FRAME
    RATE_NS=$TRACE_NS
}

# Fails the run if the program is no longer running.
check_alive() {
    if ! kill -0 "$GAME_PID" 2>/dev/null || [[ $(ps -o stat= -p "$GAME_PID" 2>/dev/null) == Z* ]]; then
        local code=0
        wait "$GAME_PID" || code=$?
        GAME_PID=
        read_trace
        e2e_fail "the program ended by itself (exit code $code) after $TRACE_FRAME frames"
    fi
}

# Takes a screenshot and reads it (read_screen).
look() {
    check_alive
    screenshot "$window" "$SHOT"
    read_screen "$SHOT"
}

# Succeeds when a fresh screenshot shows one of the named screens.
shows_screen() {
    look
    local s
    for s in "$@"; do [[ $STATE == "$s" ]] && return 0; done
    return 1
}

# Taps keys (see tap_keys) unless the list is empty.
tap() { [[ $# -eq 0 ]] || tap_keys "$window" "$@"; }

# Random choices leave their result in PICK: a whole number in 0..N-1, or one
# of the words given. (Not through $(...): a subshell's RANDOM does not move
# the run's own sequence on, and SOAK_SEED could not repeat it.)
pick() { PICK=$((RANDOM % $1)); }
choose() {
    pick $#
    PICK=${*:PICK+1:1}
}

# Appends N random words among the given ones to the array KEYS.
add_keys() {
    local n=$1 k
    shift
    for ((k = 0; k < n; ++k)); do
        choose "$@"
        KEYS+=("$PICK")
    done
}

# The keys that move the option row from one row to another the short way.
row_keys() {
    local from=$1 to=$2 down up key k
    down=$(((to - from + 11) % 11))
    up=$(((from - to + 11) % 11))
    key=Down
    [[ $up -lt $down ]] && { key=Up; down=$up; }
    for ((k = 0; k < down; ++k)); do echo "$key"; done
}

games=0 games_over=0 ranking_visits=0 options_visits=0 pauses=0 ranking_refusals=0
display_switches=0 focus_changes=0

# Alt+Enter there and back: borderless full screen over the X screen, then the
# same window as before (the screen readers need the window's own size).
switch_display() {
    tap alt+Return
    wait_until 10 "Alt+Enter did not cover the screen" \
        has_geometry "$window" "0 0 $(screen_size)"
    tap alt+Return
    wait_until 10 "the second Alt+Enter did not bring back $windowed" \
        has_geometry "$window" "$windowed"
    display_switches=$((display_switches + 1))
}

# Another X client takes the focus for half a second, then the game has it back.
steal_focus() {
    local other id
    xmessage -geometry +0+0 "soak" &
    other=$!
    for _ in $(seq 50); do
        id=$(xdotool search --pid "$other" 2>/dev/null | head -n 1 || true)
        [[ -n "$id" ]] && break
        sleep 0.1
    done
    [[ -n "$id" ]] && focus_window "$id"
    sleep 0.5
    focus_window "$window"
    kill "$other" 2>/dev/null || true
    wait "$other" 2>/dev/null || true
    focus_changes=$((focus_changes + 1))
}
playing=0

# Random game keys for 3 s. Up turns the piece: in play it is DECISION, like Z
# and C, but not on the title. So a burst that runs on after its game has
# ended can move the title's cursor but never confirm an item: no window
# opens, and nothing a burst sends can change a setting.
play_burst() {
    local until_us key hold_us
    clock_us
    until_us=$((NOW_US + 3000000))
    focus_window "$window"
    while clock_us && [[ $NOW_US -lt $until_us ]]; do
        pick 100
        key=
        if [[ $PICK -lt 30 ]]; then
            # Soft drop, held 0.1..0.8 s, as long as the burst allows.
            pick 700
            hold_us=$(((100 + PICK) * 1000))
            [[ $((NOW_US + hold_us)) -le $until_us ]] || hold_us=$((until_us - NOW_US))
            xdotool keydown Down
            sleep_us "$hold_us"
            xdotool keyup Down
            continue
        elif [[ $PICK -lt 45 ]]; then
            key=Left
        elif [[ $PICK -lt 60 ]]; then
            key=Right
        elif [[ $PICK -lt 72 ]]; then
            key=Up
        elif [[ $PICK -lt 80 ]]; then
            key=x
        elif [[ $PICK -lt 82 ]]; then
            # The pause, and out of it again once it has opened (9 frames).
            xdotool key --clearmodifiers a
            pauses=$((pauses + 1))
            sleep_us $((200000 + 12 * 1000000 / FPS))
            xdotool key --clearmodifiers a
            continue
        fi
        [[ -n $key ]] && xdotool key --clearmodifiers "$key"
        pick 210
        sleep_us $(((40 + PICK) * 1000))
    done
}

# From the title: a game (half the time), the ranking window or the options
# window. The cursor is moved there and checked on a screenshot before
# DECISION is pressed.
title_visit() {
    local target cursor=$CURSOR
    [[ $cursor -ge 0 ]] || return 0
    pick 4
    target=$((PICK < 2 ? 0 : PICK - 1))
    # Down (now and then once round as well) or Up.
    KEYS=()
    pick 2
    if [[ $PICK == 0 ]]; then
        pick 2
        add_keys $(((target - cursor + 3) % 3 + 3 * PICK)) Down
    else
        add_keys $(((cursor - target + 3) % 3)) Up
    fi
    tap "${KEYS[@]}"
    sleep 0.3
    look
    [[ $STATE == title && $CURSOR == "$target" ]] || return 0
    tap z
    if [[ $target == 0 ]]; then
        wait_until 60 "the game did not start" shows_screen play paused
        games=$((games + 1))
        playing=1
    else
        local expected=ranking
        [[ $target == 2 ]] && expected=options
        wait_until 60 "the $expected window did not open" shows_screen "$expected"
    fi
}

# The ranking window: some rows up or down (the options row is remembered,
# unseen, behind it), a while to look, and DECISION to close it. On the pad
# rows 6..9 DECISION does not close it, so a refusal is met with another row.
ranking_visit() {
    ranking_visits=$((ranking_visits + 1))
    KEYS=()
    pick 4
    add_keys "$PICK" Up Down
    tap "${KEYS[@]}"
    pick 1200
    sleep_us $(((300 + PICK) * 1000))
    for _ in $(seq 12); do
        tap z
        sleep 0.5
        look
        [[ $STATE == ranking ]] || return 0
        ranking_refusals=$((ranking_refusals + 1))
        tap Down
    done
    e2e_fail "the ranking window did not close"
}

# Moves the options row to the target row, checking where it is on each
# screenshot. Succeeds once the latest screenshot shows the target selected.
reach_row() {
    local target=$1
    for _ in 1 2 3 4; do
        [[ $ROW == "$target" ]] && return 0
        if [[ $ROW -ge 0 ]]; then
            mapfile -t KEYS < <(row_keys "$ROW" "$target")
            tap "${KEYS[@]}"
        fi
        sleep 0.3
        look
        [[ $STATE == options ]] || e2e_fail "the options window closed by itself (screen: $STATE)"
    done
    return 1
}

# The options window: first the pacing rows must still show their values;
# then, a few times, a row among the volumes, the pad buttons and the colour,
# reached with Up and Down and checked on a screenshot before Left and Right
# change it; then DECISION from the music, effect or colour row closes it.
options_visit() {
    options_visits=$((options_visits + 1))
    local shown changes c
    shown=$(shown_options "$SHOT" | cut -d' ' -f1-4)
    if [[ $shown != "$PACING_SHOWN" ]]; then
        cp "$SHOT" "$E2E_ROOT/pacing-changed.png"
        e2e_fail "the options window shows the pacing values $shown, not $PACING_SHOWN"
    fi
    pick 4
    changes=$PICK
    for ((c = 0; c < changes; ++c)); do
        choose 4 5 6 7 8 9 10
        reach_row "$PICK" || continue
        KEYS=()
        pick 6
        add_keys $((PICK + 1)) Left Right
        tap "${KEYS[@]}"
    done
    for _ in 1 2 3; do
        choose 4 5 10
        if reach_row "$PICK"; then
            tap z
            wait_until 30 "the options window did not close" shows_screen title other
            return 0
        fi
    done
    e2e_fail "could not reach a row from which DECISION closes the options window"
}

# ---- Start ------------------------------------------------------------------------
write_settings "$E2E_DIR/Game.ini" "${PACING_BYTES[@]}"
clock_us
started_us=$NOW_US
start_game env TESSARY_TRACE=1
window=$(wait_window)
windowed=$(window_geometry "$window")

# VmRSS every 10 s: "seconds kB" lines, until the program has gone.
rss_log=$E2E_ROOT/rss.log
(
    while kill -0 "$GAME_PID" 2>/dev/null; do
        rss=$(awk '/^VmRSS:/ { print $2 }' "/proc/$GAME_PID/status" 2>/dev/null || true)
        clock_us
        [[ -n $rss ]] && echo "$(((NOW_US - started_us) / 1000000)) $rss"
        sleep 10
    done
) >"$rss_log" &
sampler=$!
soak_cleanup() {
    local status=$?
    kill "$sampler" 2>/dev/null || true
    wait "$sampler" 2>/dev/null || true
    e2e_cleanup "$status"
}
trap soak_cleanup EXIT

echo "soak: $target_frames frames or $max_minutes minutes, seed $seed"
deadline_us=$((started_us + max_minutes * 60000000))
next_report_us=$((started_us + 60000000))
capped=0
unknown_since_us=0
while true; do
    focus_window "$window"
    probe_frames
    clock_us
    [[ $TRACE_FRAME -ge $target_frames ]] && break
    if [[ $NOW_US -ge $deadline_us ]]; then
        capped=1
        break
    fi
    update_rate
    pick 100
    if [[ $PICK -lt 8 ]]; then
        switch_display
    elif [[ $PICK -lt 16 ]]; then
        steal_focus
    fi
    if [[ $NOW_US -ge $next_report_us ]]; then
        echo "  $(((NOW_US - started_us) / 1000000)) s: $TRACE_FRAME frames ($FPS a second)," \
            "$games games, $ranking_visits ranking and $options_visits options visits"
        next_report_us=$((next_report_us + 60000000))
    fi
    look
    echo "$(((NOW_US - started_us) / 1000000)) $TRACE_FRAME $STATE cursor $CURSOR row $ROW fps $FPS" \
        >>"$E2E_ROOT/driver.log"
    [[ $STATE == other ]] || unknown_since_us=0
    case $STATE in
        play)
            playing=1
            play_burst
            ;;
        paused)
            # A pause the burst could not close (its second press came while it opened).
            tap a
            ;;
        gameover) sleep 0.5 ;;
        title)
            if [[ $playing == 1 ]]; then
                games_over=$((games_over + 1))
                playing=0
            fi
            title_visit
            ;;
        ranking) ranking_visit ;;
        options) options_visit ;;
        other)
            clock_us
            [[ $unknown_since_us -gt 0 ]] || unknown_since_us=$NOW_US
            if [[ $((NOW_US - unknown_since_us)) -gt 60000000 ]]; then
                cp "$SHOT" "$E2E_ROOT/unknown.png"
                e2e_fail "a screen the driver does not know, for 60 s (unknown.png, kept with E2E_KEEP)"
            fi
            sleep 0.2
            ;;
    esac
done

# ---- End --------------------------------------------------------------------------
frames=$TRACE_FRAME
wall_us=$((NOW_US - started_us))
check_alive
xdotool keyup Down 2>/dev/null || true
press_key "$window" Escape
wait_exit "$GAME_PID" 60
GAME_PID=
kill "$sampler" 2>/dev/null || true
wait "$sampler" 2>/dev/null || true
[[ "$EXIT_CODE" == 0 ]] || e2e_fail "exit code $EXIT_CODE after Esc"
for pair in "${PACING_BYTES[@]}"; do
    value=$(od -An -tu1 -j"${pair%%=*}" -N1 "$E2E_DIR/Game.ini" | tr -d ' ')
    [[ $value == "${pair#*=}" ]] || e2e_fail "Game.ini byte ${pair%%=*} is $value, not ${pair#*=}"
done

# RSS: the sample at one minute (the first, on a shorter run, where the
# program may still be loading: its growth is shown but not judged), the
# last, the most.
read -r rss_first rss_last rss_max rss_minute < <(awk '
    NR == 1 || (!found && $1 >= 60) { first = $2; if ($1 >= 60) found = 1 }
    { last = $2; if ($2 > max) max = $2 }
    END { print first, last, max, found + 0 }' "$rss_log")
[[ -n $rss_first ]] || e2e_fail "no RSS sample"
growth=$((rss_last - rss_first))
growth_pct=$(calc "100 * $growth / $rss_first")

printf '\n%-34s %s%s\n' "frames" "$frames" \
    "$([[ $capped == 1 ]] && echo " (the $max_minutes-minute cap came first)")"
printf '%-34s %.1f\n' "wall minutes" "$(calc "$wall_us / 60e6")"
printf '%-34s %.0f\n' "frames per second" "$(calc "$frames / ($wall_us / 1e6)")"
printf '%-34s %s\n' "games started" "$games"
printf '%-34s %s\n' "games played to the end" "$games_over"
printf '%-34s %s\n' "ranking window visits" "$ranking_visits"
printf '%-34s %s\n' "options window visits" "$options_visits"
printf '%-34s %s\n' "pauses" "$pauses"
printf '%-34s %s\n' "ranking closes refused (pad row)" "$ranking_refusals"
printf '%-34s %s\n' "display switches (there and back)" "$display_switches"
printf '%-34s %s\n' "focus changes" "$focus_changes"
printf '%-34s %s\n' "RSS at 1 minute (kB)" "$rss_first"
printf '%-34s %s\n' "RSS at the end (kB)" "$rss_last"
printf '%-34s %s\n' "RSS maximum (kB)" "$rss_max"
printf '%-34s %s kB (%.2f %%)\n' "RSS growth after the first minute" "$growth" "$growth_pct"
printf '%-34s %s\n' "exit code after Esc" "$EXIT_CODE"

if [[ $E2E_SLOWDOWN != 1 ]]; then
    echo "(a sanitized program: the growth is not judged)"
elif [[ $rss_minute == 1 ]]; then
    holds "$growth_pct > 10" && e2e_fail "RSS grew by $growth_pct % after the first minute"
else
    echo "(the run was shorter than a minute: the growth is not judged)"
fi
echo "PASS"
