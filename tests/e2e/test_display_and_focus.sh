#!/usr/bin/env bash
# Alt+Enter twice on a bare X server (no window manager, so the game's own
# borderless route): a window over the whole screen showing the title scaled
# (the screen is 16:9, so without bars), then the same window as before. Focus on another X client stops
# the scene (the picture stands still); focus back makes it move again. Closed
# in full screen, the program keeps the display mode it loaded in Game.ini.
source "$(dirname "$0")/lib.sh"
e2e_setup "$1"
mask=$E2E_ROOT/title-mask.png
make_title_mask "$mask"
read -r screen_width screen_height < <(screen_size)

start_game
window=$(wait_window)
wait_until 10 "no title" screen_shows "$window" shows_title "$mask"
windowed=$(window_geometry "$window")
# No aspect hints: KWin applies them to maximised and tiled windows too,
# which then leave strips of the desktop showing.
hints=$(xprop -id "$window" WM_NORMAL_HINTS)
! grep -q 'aspect ratio' <<<"$hints" || e2e_fail "the window carries aspect hints: $hints"

tap_keys "$window" alt+Return
wait_until 5 "Alt+Enter did not cover the screen" \
    has_geometry "$window" "0 0 $screen_width $screen_height"
# The 1280x720 picture is scaled over the 16:9 screen, pixel for pixel.
stretched_title() {
    convert "$1" -filter point -resize 1280x720\! "$1"
    shows_title "$1" "$mask"
}
wait_until 5 "no title over the whole screen" screen_shows "$window" stretched_title
tap_keys "$window" alt+Return
wait_until 5 "the second Alt+Enter did not bring back $windowed" has_geometry "$window" "$windowed"
wait_until 5 "no title in the window again" screen_shows "$window" shows_title "$mask"

# Another client takes the focus: the picture stands still.
xmessage -geometry +0+0 "another window" &
other=$!
other_window() { xdotool search --classname '^xmessage$' 2>/dev/null | head -n 1 | grep .; }
wait_until 5 "xmessage did not open" other_window >/dev/null
focus_window "$(other_window)"
# Two screenshots some time apart are the same picture.
still() {
    screenshot "$window" "$E2E_ROOT/a.png"
    sleep "$1"
    screenshot "$window" "$E2E_ROOT/b.png"
    local differing
    differing=$(pixels_differing "$E2E_ROOT/a.png" "$E2E_ROOT/b.png" 1280x720+0+0) ||
        e2e_fail "could not compare two screenshots"
    [[ "$differing" == 0 ]]
}
wait_until 10 "the title still moves without the focus" still 1
shows_title "$E2E_ROOT/a.png" "$mask" || e2e_fail "the stopped window does not show the title"

# Focus back: it moves again.
focus_window "$window"
moves() { ! still 0.3; }
wait_until 5 "the title did not move again with the focus back" moves
kill "$other" 2>/dev/null || true
wait "$other" 2>/dev/null || true

tap_keys "$window" alt+Return
wait_until 5 "Alt+Enter did not cover the screen again" \
    has_geometry "$window" "0 0 $screen_width $screen_height"
press_key "$window" Escape
wait_exit "$GAME_PID" 10
GAME_PID=
[[ "$EXIT_CODE" == 0 ]] || e2e_fail "exit code $EXIT_CODE"
# The display mode of Game.ini is kept as it was loaded.
[[ "$(od -An -tu1 -j2 -N1 "$E2E_DIR/Game.ini" | tr -d ' ')" == 0 ]] ||
    e2e_fail "Game.ini byte 2 is not 0"
echo "PASS"
