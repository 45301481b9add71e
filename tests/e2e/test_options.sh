#!/usr/bin/env bash
# The options window driven by keys: every row changed, the display mode taking
# effect at once, the values shown, saved in their Game.ini bytes as the window
# closes (the program is then killed), and shown and saved again unchanged by
# the next run's Esc. The display mode is saved as it was loaded: the first
# run's window closes in full screen, and the next run still starts windowed.
source "$(dirname "$0")/lib.sh"
e2e_setup "$1"
mask=$E2E_ROOT/title-mask.png
make_title_mask "$mask"
read -r screen_width screen_height < <(screen_size)

# The volume bars under their labels: 20 marks, ">" up to the volume, "_" after.
bars=$E2E_ROOT/bars.png
bar() { printf '>%.0s' $(seq "$1") && printf '_%.0s' $(seq $((20 - $1))); }
text_layer "$bars" 16 32 10 326 262 "BGM VOLUME" 366 284 "$(bar 5)" \
    326 314 "SE VOLUME" 366 336 "$(bar 3)"
options_shown() {
    [[ "$(shown_options "$1")" == "$2" ]] && shows_glyphs "$1" "$bars" 250x82+326+286
}
open_options() {
    window=$(wait_window)
    wait_until 10 "no title" screen_shows "$window" shows_title "$mask"
    geometry=$(window_geometry "$window")
    tap_keys "$window" Down Down z
}

start_game
open_options
windowed=$geometry
first=$E2E_ROOT/options-before.png
# A fresh install puts the pad's four functions on A, B, X and Y (0 1 2 3).
options_open() { [[ "$(shown_options "$1")" == "0 1 0 0 0 1 2 3 0" ]]; }
wait_until 10 "the options window did not show the defaults" screen_shows "$window" options_open
cp "$E2E_ROOT/screen.png" "$first"

# Display mode: full screen at once, and back to the same place and size.
tap_keys "$window" Right
wait_until 5 "FullScreen did not cover the screen" \
    has_geometry "$window" "0 0 $screen_width $screen_height"
tap_keys "$window" Right
wait_until 5 "Window did not come back as $windowed" has_geometry "$window" "$windowed"
# Vertical sync off, timer Sleep, frame skip on, music 5, effects 3 (Left at 0
# stays 0), buttons 2, 9 (Left from 0 wraps), 1, 3 (kept), colour 4.
tap_keys "$window" Down Left Down Right Right Down Right \
    Down Right Right Right Right Right Down Left Right Right Right \
    Down Right Right Down Left Left Down Left Down Down Right Right Right Right
changed() { options_shown "$1" "0 0 2 1 2 9 1 3 4"; }
wait_until 5 "the options window does not show the values set" screen_shows "$window" changed
# The windows take colour 4: the frame's border is another picture now.
border=$(pixels_differing "$first" "$E2E_ROOT/screen.png" 4x640+208+40)
[[ "$border" -gt 2000 ]] || e2e_fail "the window colour did not change ($border pixels)"
# Full screen again (Alt+Enter) while the window closes and the program is killed.
tap_keys "$window" alt+Return
wait_until 5 "Alt+Enter did not cover the screen" \
    has_geometry "$window" "0 0 $screen_width $screen_height"

# Closing the window saves at once: the program killed then loses nothing.
# Bytes: 3 vsync, 18 timer, 20 frame skip, 24..27 buttons, 34 and 35 volumes.
expected=$E2E_ROOT/expected.ini
write_settings "$expected" 3=0 18=2 20=1 24=2 25=9 26=1 27=3 34=5 35=3
[[ ! -e "$E2E_DIR/Game.ini" ]] || e2e_fail "Game.ini written before the window closed"
tap_keys "$window" z
saved() { cmp -s "$expected" "$E2E_DIR/Game.ini"; }
wait_until 5 "closing the options window did not save Game.ini" saved
kill_game_now

# The next run starts windowed and shows the saved values (the colour is not
# part of Game.ini, so it is not read back).
start_game
open_options
[[ "$geometry" == "$windowed" ]] || e2e_fail "the second run started at $geometry, not $windowed"
kept() {
    local shown
    shown=$(shown_options "$1")
    [[ "$shown" == "0 0 2 1 2 9 1 3 "* ]] && options_shown "$1" "$shown"
}
wait_until 10 "the second run does not show the saved values" screen_shows "$window" kept
# Closed in full screen too: Esc saves the display mode as loaded.
tap_keys "$window" alt+Return
wait_until 5 "Alt+Enter did not cover the screen in the second run" \
    has_geometry "$window" "0 0 $screen_width $screen_height"
press_key "$window" Escape
wait_exit "$GAME_PID" 10
GAME_PID=
[[ "$EXIT_CODE" == 0 ]] || e2e_fail "second run exit code $EXIT_CODE"
cmp "$expected" "$E2E_DIR/Game.ini" || e2e_fail "the second run saved other bytes"
echo "PASS"
