#!/usr/bin/env bash
# The game on GNOME's compositor, mutter, headless with a virtual monitor: as
# a Wayland client and as an X client of mutter's Xwayland. Keys go through
# mutter's RemoteDesktop interface (Super+Up maximises, Super+Left tiles),
# pictures come from a ScreenCast of the monitor (PipeWire, gst-launch).
# On Wayland the window's size is that of the buffers the game attaches
# (WAYLAND_DEBUG); a maximised, tiled or full-screen window lies against the
# bottom-left corner of the monitor.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/desktops/desk.sh"
DESK_NAME=gnome
desk_need mutter Xwayland pipewire wireplumber gst-launch-1.0 dbus-run-session xdotool xwininfo wmctrl
[[ -x /usr/bin/python3 ]] && /usr/bin/python3 -c 'import gi' 2>/dev/null || desk_skip "python3-gi is not installed"
gst-inspect-1.0 pipewiresrc >/dev/null 2>&1 || desk_skip "gstreamer1.0-pipewire is not installed"
e2e_setup "$1"
trap desk_cleanup EXIT
# mutter's screen cast shows a window's new size seconds late at times: a
# picture is looked at up to ten times, half a second apart.
DESK_TRIES=10 DESK_LAG_TRIES=10

# ROW is MODE:SIZE, MODE wayland or x11.
d_start() {
    MODE=${1%%:*} SIZE=${1#*:}
    DESK_FILLS=0 DESK_EXACT=0
    [[ "$MODE" == x11 ]] && DESK_FILLS=1 DESK_EXACT=1
    # mutter_remote.py draws the pointer at the top-right pixel (see there).
    DESK_POINTER="$((${SIZE%x*} - 32)) 0 32 32"
    local rt=$E2E_ROOT/gnome-run
    rm -rf "$rt"; mkdir -m 700 "$rt"
    local x11=(); [[ "$MODE" == wayland ]] && x11=(--no-x11)
    # The session's bus address is written down from inside it for the helpers.
    XDG_RUNTIME_DIR=$rt dbus-run-session -- bash -c 'echo "$DBUS_SESSION_BUS_ADDRESS" >"$0"; exec "$@"' \
        "$E2E_ROOT/bus" mutter --headless --wayland --virtual-monitor "$SIZE" "${x11[@]}" \
        >"$E2E_ROOT/mutter.log" 2>&1 &
    MUTTER_PID=$!
    desk_track "$MUTTER_PID"
    up() { [[ -e $rt/wayland-0 && -s $E2E_ROOT/bus ]] && { [[ "$MODE" == wayland ]] || grep -q 'Using public X11 display' "$E2E_ROOT/mutter.log"; }; }
    wait_until 20 "mutter did not start (mutter.log)" up
    SESSION=(env XDG_RUNTIME_DIR="$rt" DBUS_SESSION_BUS_ADDRESS="$(cat "$E2E_ROOT/bus")")
    "${SESSION[@]}" pipewire >"$E2E_ROOT/pipewire.log" 2>&1 &
    desk_track $!
    sleep 0.5
    "${SESSION[@]}" wireplumber >"$E2E_ROOT/wireplumber.log" 2>&1 &
    desk_track $!
    FIFO=$E2E_ROOT/remote.fifo REMOTE_LOG=$E2E_ROOT/remote.log
    rm -f "$FIFO"; mkfifo "$FIFO"; : >"$REMOTE_LOG"
    "${SESSION[@]}" /usr/bin/python3 "$DESK_LIB/mutter_remote.py" "$FIFO" "$REMOTE_LOG" >"$E2E_ROOT/remote.err" 2>&1 &
    desk_track $!
    sleep 1
    remote shot "$E2E_ROOT/first.png" || desk_skip "no screen cast from mutter: $(tail -n 1 "$REMOTE_LOG")"
    d_key Escape  # a new session loses its first key
    fresh_program_folder
    if [[ "$MODE" == wayland ]]; then
        start_game env -u DISPLAY XDG_RUNTIME_DIR="$rt" WAYLAND_DISPLAY=wayland-0 WAYLAND_DEBUG=client ALSOFT_DRIVERS=null
        shown() { [[ -n "$(d_rect)" ]]; }
        wait_until 15 "no window on mutter" shown
    else
        export DISPLAY XAUTHORITY
        DISPLAY=$(sed -n 's/.*Using public X11 display \(:[0-9]*\).*/\1/p' "$E2E_ROOT/mutter.log" | head -n 1)
        XAUTHORITY=$(ls "$rt"/.mutter-Xwaylandauth.* | head -n 1)
        start_game env -u WAYLAND_DISPLAY ALSOFT_DRIVERS=null
        WIN=$(wait_window)
    fi
    sleep 1
}
# The helpers end before mutter, the last started first.
d_stop() {
    desk_stop_game
    local i
    for ((i = ${#DESK_PIDS[@]} - 1; i >= 0; --i)); do desk_kill "${DESK_PIDS[i]}"; done
    DESK_PIDS=()
}

# Sends a command to mutter_remote.py and waits for its answer.
remote() {
    local line="$*" seen answer
    seen=$(wc -l <"$REMOTE_LOG")
    echo "$line" >"$FIFO"
    for _ in $(seq 150); do
        answer=$(tail -n +$((seen + 1)) "$REMOTE_LOG" | grep -F -e "done $line" -e "error $line:" || true)
        if [[ -n "$answer" ]]; then
            [[ "$answer" == done* ]]
            return
        fi
        sleep 0.1
    done
    return 1
}
declare -A EVDEV=([alt]=56 [Return]=28 [super]=125 [Up]=103 [Down]=108 [Left]=105 [Escape]=1)
d_key() {
    local codes=() k
    IFS=+ read -ra keys <<<"$1"
    for k in "${keys[@]}"; do codes+=("${EVDEV[$k]}"); done
    remote key "$(IFS=+; echo "${codes[*]}")"
    sleep 0.3
}
d_shot() { remote shot "$1" || e2e_fail "no screenshot: $(tail -n 1 "$REMOTE_LOG")"; }
d_output() { echo "0 0 ${SIZE/x/ }"; }
# The game's drawable on Wayland: the last buffer of its EGL surface (wider
# and taller than libdecor's title bar and borders) at the bottom-left corner.
wl_size() {
    grep -o 'create_buffer(new id wl_buffer@[0-9]*, [0-9]*, [0-9]*, [0-9]*' "$E2E_DIR/stderr.log" |
        awk -F', ' '$3 > 100 && $4 > 100 { w = $3; h = $4 } END { if (w) print w, h }'
}
d_rect() {
    if [[ "$MODE" == x11 ]]; then x11_rect; return; fi
    local w h oh
    read -r w h < <(wl_size) || return 0
    read -r _ _ _ oh < <(d_output)
    echo "0 $((oh - h)) $w $h"
}
d_full_state() {
    if [[ "$MODE" == x11 ]]; then x11_full_state; else [[ "$(d_rect)" == "$(d_output)" ]]; fi
}
d_frame() { if [[ "$MODE" == x11 ]]; then x11_frame; else d_rect; fi; }
d_usable() { d_output; }
d_focused() { x11_focused; }
d_full() { x11_full "$@"; }
# Through the keys on Wayland; through EWMH on X, which also reaches a window
# without the focus.
d_maximise() {
    if [[ "$MODE" == x11 ]]; then x11_maximise "$@"
    elif [[ "$1" == on ]]; then d_key super+Up; else d_key super+Down; fi
}
d_tile() { if [[ "$1" == on ]]; then d_key super+Left; else d_key super+Down; fi; }
d_other() {
    x11_other "$@"
    [[ "$1" == on ]] || xdotool windowactivate --sync "$WIN"
}

desk_run "wayland:1920x1080 full_screen round_trips maximised tiled" \
         "x11:1920x1080 full_screen round_trips maximised tiled inactive inactive_full" \
         "wayland:1024x600 first_window full_screen"
