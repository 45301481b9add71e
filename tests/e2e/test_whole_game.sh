#!/usr/bin/env bash
# A whole game as a player plays it: start from the title, play with real key
# presses until the stack reaches the top, watch the game-over sequence, and
# find the result in the ranking window with the date and time the game ended
# (a fake calendar that keeps running). Game.ini holds it as soon as the title
# returns, so the program killed then loses nothing: the next start shows the
# same ranking, and Esc saves the same bytes. The game's replay plays to the
# same score, headless and in the window.
source "$(dirname "$0")/lib.sh"
e2e_setup "$1"
export TZ=UTC
mask=$E2E_ROOT/title-mask.png
make_title_mask "$mask"

launched=$(now)
start_game faketime '2031-05-17 10:20:30'
window=$(wait_window)
wait_until 10 "no title" screen_shows "$window" shows_title "$mask"
started=$(now)

# Start: the play screen fades in (its labels are the reference's).
tap_keys "$window" z
in_play() {
    shows_region "$1" "$GOLDEN/play.png" 140x50+60+35 && # SCORE
        shows_region "$1" "$GOLDEN/play.png" 90x40+812+132 # NEXT
}
wait_until 10 "the play screen did not appear" screen_shows "$window" in_play

# Play: soft drop with Down held, shifting some pieces aside on the way.
focus_window "$window"
xdotool keydown Down
for key in Left Left Right Right Right Left; do
    sleep 0.3
    xdotool key "$key"
done
# Four pieces locked without room to fall end the game: the bars fill the
# screen and the game-over picture shows.
game_over() { shows_region "$1" "$GOLDEN/game-over.png" 700x100+250+258; }
wait_until 90 "no game-over picture" screen_shows "$window" game_over
xdotool keyup Down
over=$(seconds_since "$launched")
echo "game over $(seconds_since "$started") s after the start"
# The result is entered the frame the game ends, before the picture shows; the
# title comes back after the fade.
wait_until 20 "the title did not come back" screen_shows "$window" shows_title "$mask"
back=$(seconds_since "$launched")

# The result is kept the moment it enters the ranking: the program killed
# right after the title's return leaves it in Game.ini.
kill_game_now

# Game.ini: the settings a fresh install saves, the score, and the date.
ini=$E2E_DIR/Game.ini
score=$(read_int32 "$ini" 36)
[[ "$score" -gt 0 ]] || e2e_fail "score $score in Game.ini"
when=()
for k in 0 1 2 3 4 5 6; do when+=("$(read_int32 "$ini" $((76 + 4 * k)))"); done
when[6]=$((when[6] & 0xFFFFFF))
echo "score $score on ${when[*]} (year-1900 month day hour minute second daylight)"
[[ "${when[*]:0:4}" == "131 4 17 10" && "${when[6]}" == 0 ]] || e2e_fail "date ${when[*]}"
# The fake clock started at 10:20:30 with the program and kept running: the
# result bears the second the game ended, a moment before its picture was
# seen, well before the title's return.
seconds=$((when[4] * 60 + when[5] - (20 * 60 + 30)))
holds "$seconds >= $over - 3 && $seconds <= $over + 1" ||
    e2e_fail "the game ended $seconds s after the launch, not about $over s (the title returned at $back s)"
# Everything else is as a fresh install saves it, with nine empty rows.
expected=$E2E_ROOT/expected.ini
write_settings "$expected"
put_int32 "$expected" 36 "$score"
for k in 0 1 2 3 4 5; do put_int32 "$expected" $((76 + 4 * k)) "${when[k]}"; done
cmp "$expected" "$ini" || e2e_fail "Game.ini holds more than the result: $(od -An -tx1 "$ini")"

# The ranking window: a heading and ten rows, the result first; rows 2..10
# of a fresh table are empty (year 1900, month 1, day 0).
row1=$(printf '%2d %4d/%2d/%2d %2d:%2d:%2d %10d' 1 $((when[0] + 1900)) $((when[1] + 1)) \
    "${when[2]}" "${when[3]}" "${when[4]}" "${when[5]}" "$score")
lines=()
for r in $(seq 2 10); do
    lines+=(376 $((72 + 56 * (r - 1))))
    lines+=("$(printf '%2d %4d/%2d/%2d %2d:%2d:%2d %10d' "$r" 1900 1 0 0 0 0 0)")
done
ranking=$E2E_ROOT/ranking-layer.png
text_layer "$ranking" 32 64 16 592 24 RANKING 376 72 "$row1" "${lines[@]}"

# The game's replay, named by the date, time and score: the rules alone come
# to the same score, and so does watching it in the window, which shows the
# game over again and writes nothing.
replays=("$E2E_DIR"/replays/*.replay)
[[ ${#replays[@]} == 1 && -f "${replays[0]}" ]] || e2e_fail "replays: ${replays[*]}"
replay=${replays[0]}
named=$(printf '%04d-%02d-%02d_%02d-%02d-%02d_score-%d_rank-1.replay' $((when[0] + 1900)) \
    $((when[1] + 1)) "${when[2]}" "${when[3]}" "${when[4]}" "${when[5]}" "$score")
[[ "$(basename "$replay")" == "$named" ]] || e2e_fail "replay $(basename "$replay"), not $named"
checked=$("$E2E_DIR/tessary" --check-replay "$replay") || e2e_fail "--check-replay: $checked"
[[ "$checked" =~ ^"$replay: score $score, rows "[0-9]+", level "[0-9]+", "[0-9]+" frames: same as recorded"$ ]] ||
    e2e_fail "--check-replay said: $checked"
echo "$checked"
kept() { (cd "$E2E_DIR" && ls -la --time-style=full-iso Game.ini replays && sha256sum Game.ini replays/*); }
before=$(kept)
(cd "$E2E_ROOT" && exec "$E2E_DIR/tessary" --replay "$replay") >"$E2E_DIR/stdout.log" \
    2>"$E2E_DIR/stderr.log" &
GAME_PID=$!
window=$(wait_window)
wait_until 150 "the watched game shows no game-over picture" screen_shows "$window" game_over
wait_exit "$GAME_PID" 30
GAME_PID=
[[ "$EXIT_CODE" == 0 ]] || e2e_fail "--replay exit code $EXIT_CODE"
[[ "$(cat "$E2E_DIR/stdout.log")" == "$checked" ]] ||
    e2e_fail "--replay said: $(cat "$E2E_DIR/stdout.log")"
[[ "$(kept)" == "$before" ]] || e2e_fail "watching changed the player's files: $(kept)"

# The next start shows the new ranking line, and Esc saves the same bytes.
cp "$ini" "$E2E_ROOT/first.ini"
start_game
window=$(wait_window)
wait_until 10 "no title on the second start" screen_shows "$window" shows_title "$mask"
tap_keys "$window" Down z
ranking_shown() { shows_glyphs "$1" "$ranking" 720x640+376+24; }
wait_until 10 "the second start does not show \"$row1\"" screen_shows "$window" ranking_shown
press_key "$window" Escape
wait_exit "$GAME_PID" 10
GAME_PID=
[[ "$EXIT_CODE" == 0 ]] || e2e_fail "second run exit code $EXIT_CODE"
cmp "$E2E_ROOT/first.ini" "$ini" || e2e_fail "the second run saved other bytes"
echo "PASS"
