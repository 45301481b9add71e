#!/usr/bin/env bash
# A finished game is kept from the frame it ends: a whole game played with
# real keys, then, about a second into its game-over sequence (the picture has
# just appeared, the fade has not begun), the program is closed with Esc, with
# SIGTERM or killed outright. Each way the next start shows the game in the
# ranking window, and its replay plays to the same result.
source "$(dirname "$0")/lib.sh"
e2e_setup "$1"
export TZ=UTC
mask=$E2E_ROOT/title-mask.png
make_title_mask "$mask"
in_play() { shows_region "$1" "$GOLDEN/play.png" 140x50+60+35; }
game_over() { shows_region "$1" "$GOLDEN/game-over.png" 700x100+250+258; }
ranking_shown() { shows_glyphs "$1" "$E2E_ROOT/ranking-layer.png" 720x56+376+72; }

# way | how the program is closed | its exit status
closes=(
    "esc     press_key_escape 0"
    "sigterm kill_term        0"
    "sigkill kill_game_now    -"
)
press_key_escape() { press_key "$window" Escape; }
kill_term() { kill -TERM "$GAME_PID"; }

for row in "${closes[@]}"; do
    read -r way close status <<<"$row"
    echo "== $way"
    fresh_program_folder
    start_game
    window=$(wait_window)
    wait_until 10 "$way: no title" screen_shows "$window" shows_title "$mask"
    tap_keys "$window" z
    wait_until 10 "$way: no play screen" screen_shows "$window" in_play
    focus_window "$window"
    xdotool keydown Down
    wait_until 90 "$way: no game-over picture" screen_shows "$window" game_over
    xdotool keyup Down
    sleep 0.4
    # Still the game-over picture: the sequence has seconds to go.
    screen_shows "$window" game_over || e2e_fail "$way: the sequence was over too soon"
    "$close"
    if [[ "$status" == - ]]; then
        [[ -z "$GAME_PID" ]] || e2e_fail "$way: still running"
    else
        wait_exit "$GAME_PID" 10
        GAME_PID=
        [[ "$EXIT_CODE" == "$status" ]] || e2e_fail "$way: exit code $EXIT_CODE"
    fi

    # Game.ini holds the game first in the ranking, and its replay is there.
    score=$(read_int32 "$E2E_DIR/Game.ini" 36 2>/dev/null || echo 0)
    [[ "$score" -gt 0 ]] || e2e_fail "$way: score ${score:-none} in Game.ini"
    replays=("$E2E_DIR"/replays/*_score-"$score"_rank-1.replay)
    [[ -f "${replays[0]}" ]] || e2e_fail "$way: no replay: $(ls "$E2E_DIR/replays" 2>&1)"
    checked=$("$E2E_DIR/tessary" --check-replay "${replays[0]}") ||
        e2e_fail "$way: --check-replay: $checked"
    [[ "$checked" == *": score $score, "*": same as recorded" ]] ||
        e2e_fail "$way: --check-replay said: $checked"

    # The next start shows it in the ranking window's first row.
    when=()
    for k in 0 1 2 3 4 5; do when+=("$(read_int32 "$E2E_DIR/Game.ini" $((76 + 4 * k)))"); done
    row1=$(printf '%2d %4d/%2d/%2d %2d:%2d:%2d %10d' 1 $((when[0] + 1900)) $((when[1] + 1)) \
        "${when[2]}" "${when[3]}" "${when[4]}" "${when[5]}" "$score")
    text_layer "$E2E_ROOT/ranking-layer.png" 32 64 16 592 24 RANKING 376 72 "$row1"
    start_game
    window=$(wait_window)
    wait_until 10 "$way: no title on the next start" screen_shows "$window" shows_title "$mask"
    tap_keys "$window" Down z
    wait_until 10 "$way: the ranking does not show \"$row1\"" screen_shows "$window" ranking_shown
    press_key "$window" Escape
    wait_exit "$GAME_PID" 10
    GAME_PID=
    echo "$way: $checked"
done
echo "PASS"
