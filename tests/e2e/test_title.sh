#!/usr/bin/env bash
# The first thing a player sees: within a second of the start the window shows
# the title, whose logo and resting items are the pictures the scene code draws
# (golden/title.png) while the background behind them scrolls. Then the
# same from a program folder with an unusual name.
source "$(dirname "$0")/lib.sh"
e2e_setup "$1"
mask=$E2E_ROOT/title-mask.png
make_title_mask "$mask"
# The comparison must be able to tell another screen from the title.
shows_title "$GOLDEN/pause.png" "$mask" &&
    e2e_fail "the title check does not tell the pause screen from the title"

launched=$(now)
start_game env TESSARY_STARTUP_TRACE=1
window=$(wait_window)
shot=$E2E_ROOT/title.png
title_shown() {
    screenshot "$window" "$shot"
    shows_title "$shot" "$mask"
}
# The program's own figure below is the one that counts; this bound leaves room
# for the screenshots themselves on a busy machine.
wait_until $((3 * E2E_SLOWDOWN)) "the title's logo and items did not appear in time" title_shown
echo "title on screen $(seconds_since "$launched") s after the launch"

# The program's own account of its first presented frame.
first=$(sed -n 's/.*first frame presented \([0-9]*\) ms.*/\1/p' "$E2E_DIR/stderr.log")
[[ -n "$first" ]] || e2e_fail "no first-frame line on standard error"
echo "first frame $first ms after the program's start"
[[ "$first" -lt $((1000 * E2E_SLOWDOWN)) ]] || e2e_fail "the first frame came $first ms after the start"

read -r _ _ width height < <(window_geometry "$window")
[[ "${width}x$height" == 1280x720 ]] || e2e_fail "the window is ${width}x$height"

# The background scrolls: a later picture differs, though the logo does not.
later=$E2E_ROOT/later.png
sleep 0.3
screenshot "$window" "$later"
shows_title "$later" "$mask" || e2e_fail "the logo changed"
moved=$(pixels_differing "$shot" "$later" 1280x720+0+0)
[[ "$moved" -gt 20000 ]] || e2e_fail "the title does not move ($moved pixels changed)"

press_key "$window" Escape
wait_exit "$GAME_PID" 10
GAME_PID=
[[ "$EXIT_CODE" == 0 ]] || e2e_fail "exit code $EXIT_CODE"

# The same from a folder whose name has blanks and Japanese characters, with
# the sound files read (a sound device that needs no sound card, WAVE set).
E2E_DIR="$E2E_ROOT/ゲーム フォルダ/テッサリー"
fresh_program_folder
write_settings "$E2E_ROOT/wave.ini" 21=2
cp "$E2E_ROOT/wave.ini" "$E2E_DIR/Game.ini"
start_game env ALSOFT_DRIVERS=null
window=$(wait_window)
wait_until 10 "no title from a folder named \"$E2E_DIR\"" screen_shows "$window" shows_title "$mask"
press_key "$window" Escape
wait_exit "$GAME_PID" 10
GAME_PID=
[[ "$EXIT_CODE" == 0 ]] || e2e_fail "exit code $EXIT_CODE from a folder named \"$E2E_DIR\""
dir_txt_rewritten
cmp "$E2E_ROOT/wave.ini" "$E2E_DIR/Game.ini" || e2e_fail "Game.ini differs in \"$E2E_DIR\""
echo "PASS"
