#!/usr/bin/env bash
# Pause in a game, with the sound recorded (OpenAL Soft's wave driver), in both
# sound sets: A hides the board and shows "P A U S E"; the recording has effect
# 0 where Z started the game and again where A opened the pause, and the music
# plays in between while the title before was silent. Game.ini keeps its sound
# mode byte.
source "$(dirname "$0")/lib.sh"
e2e_setup "$1"
mask=$E2E_ROOT/title-mask.png
make_title_mask "$mask"
sound_samples "$E2E_DIR/data/wav/sfx_0000.wav" "$E2E_ROOT/effect0.dat"

in_play() { shows_region "$1" "$GOLDEN/play.png" 140x50+60+35; }
# The board column with the pause text and without walls, board or pieces.
paused() { shows_region "$1" "$GOLDEN/pause.png" 288x690+496+0; }

# Game.ini byte 21: 1 the Ogg set, 2 the WAVE set. Music at 6 of 20, effects at 20.
for mode in 2 1; do
    recording=$E2E_ROOT/sound-$mode.wav
    record_sound "$recording"
    settings=$E2E_ROOT/settings-$mode.ini
    write_settings "$settings" 21="$mode" 34=6 35=20
    cp "$settings" "$E2E_DIR/Game.ini"

    start_game
    window=$(wait_window)
    wait_until 10 "no title" screen_shows "$window" shows_title "$mask"
    tap_keys "$window" z
    started=$(now)
    wait_until 10 "no play screen" screen_shows "$window" in_play
    sleep 1
    screen_shows "$window" paused && e2e_fail "the play screen looks paused before A"
    tap_keys "$window" a
    pressed=$(seconds_since "$started")
    wait_until 5 "A did not show the pause" screen_shows "$window" paused
    press_key "$window" Escape
    wait_exit "$GAME_PID" 10
    GAME_PID=
    [[ "$EXIT_CODE" == 0 ]] || e2e_fail "exit code $EXIT_CODE (sound mode $mode)"
    cmp "$settings" "$E2E_DIR/Game.ini" || e2e_fail "Game.ini changed (sound mode $mode)"

    samples=$E2E_ROOT/sound-$mode.dat
    sound_samples "$recording" "$samples"
    # The first sound is Z's effect 0, on a silent title.
    start=$(sound_onset "$samples" 0.01)
    [[ -n "$start" ]] || e2e_fail "the recording is silent (sound mode $mode)"
    title=$(sound_level "$recording" 0 "$(calc "$start - 0.05")")
    read -r at similarity < <(sound_find "$E2E_ROOT/effect0.dat" "$samples" \
        "$(calc "$start - 0.1")" "$(calc "$start + 0.1")")
    echo "mode $mode: effect 0 for Z at $at s (similarity $similarity), title level $title"
    holds "$similarity > 0.9 && $title < 0.001" ||
        e2e_fail "the first sound is not effect 0 on a silent title (mode $mode)"
    # A came $pressed s after Z: effect 0 again there, over the music.
    expected=$(calc "$at + $pressed")
    read -r pause similarity < <(sound_find "$E2E_ROOT/effect0.dat" "$samples" \
        "$(calc "$expected - 0.4")" "$(calc "$expected + 0.4")")
    music=$(sound_level "$recording" "$(calc "$pause - 0.9")" "$pause")
    echo "mode $mode: effect 0 for A at $pause s (similarity $similarity, expected near $expected s)," \
        "music level $music"
    holds "$similarity > 0.8" ||
        e2e_fail "no effect 0 when A was pressed (mode $mode)"
    holds "$music > 0.003" || e2e_fail "no music in play (mode $mode)"
    # A second later the effect is over: the search must not find it there.
    read -r _ similarity < <(sound_find "$E2E_ROOT/effect0.dat" "$samples" \
        "$(calc "$pause + 0.8")" "$(calc "$pause + 1.0")")
    holds "$similarity < 0.5" ||
        e2e_fail "effect 0 is found where it does not play (similarity $similarity)"
done
echo "PASS"
