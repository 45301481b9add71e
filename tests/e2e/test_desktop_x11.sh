#!/usr/bin/env bash
# The game under an X11 window manager (openbox, or xfwm4 without its
# compositor) on Xvfb: full screen through the window manager, round trips
# back to the pixel, maximised and inactive pictures letterboxed, and a first
# window that fits a 1024x600 screen.
#   test_desktop_x11.sh GAME_DIR openbox|xfwm4
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/desktops/desk.sh"
DESK_NAME=${2:-openbox}
desk_need Xvfb xdotool xwininfo xprop wmctrl xmessage "$DESK_NAME"
[[ "$DESK_NAME" == xfwm4 ]] && desk_need dbus-run-session
e2e_setup "$1"
trap desk_cleanup EXIT
DESK_EXACT=1
DESK_FILLS=1
desk_use_x11

d_start() {
    desk_xvfb "$1"
    if [[ "$DESK_NAME" == openbox ]]; then
        openbox --sm-disable >"$E2E_ROOT/wm.log" 2>&1 &
    else
        dbus-run-session -- xfwm4 --compositor=off --sm-client-disable >"$E2E_ROOT/wm.log" 2>&1 &
    fi
    WM_PID=$!
    desk_track "$WM_PID"
    wm_ready() { xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'; }
    wait_until 10 "$DESK_NAME did not start (wm.log)" wm_ready
    fresh_program_folder
    start_game env ALSOFT_DRIVERS=null
    WIN=$(wait_window)
}
d_stop() {
    desk_stop_game
    desk_kill "$WM_PID"
}
desk_run "1920x1080 full_screen round_trips maximised inactive inactive_full" \
         "1024x600 first_window full_screen"
