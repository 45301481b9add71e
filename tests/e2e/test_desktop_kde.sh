#!/usr/bin/env bash
# The game on KDE's compositor, kwin_wayland, headless (--virtual): as a
# Wayland client and as an X client of KWin's Xwayland. Keys go through KWin's
# fake input protocol (kwin_keys.c, built here), pictures through its
# ScreenShot2 interface, and a KWin script loaded at the start prints the
# game window's surface and full-screen state at every change; other
# scripts maximise and tile it.
# The packaged kwin_wayland carries a file capability that a sandbox may
# refuse to run: the test runs a plain copy.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/desktops/desk.sh"
DESK_NAME=kde
desk_need kwin_wayland Xwayland wayland-scanner cc dbus-run-session gdbus xdotool xwininfo zenity
[[ -f /usr/share/plasma-wayland-protocols/fake-input.xml ]] || desk_skip "plasma-wayland-protocols is not installed"
/usr/bin/python3 -c 'import dbus' 2>/dev/null || desk_skip "python3-dbus is not installed"
e2e_setup "$1"
trap desk_cleanup EXIT

tools=$E2E_ROOT/kde-tools
mkdir "$tools"
xml=/usr/share/plasma-wayland-protocols/fake-input.xml
wayland-scanner client-header "$xml" "$tools/fake-input-client.h"
wayland-scanner private-code "$xml" "$tools/fake-input.c"
cc -O1 -I"$tools" -o "$tools/kwin_keys" "$DESK_LIB/kwin_keys.c" "$tools/fake-input.c" -lwayland-client ||
    e2e_fail "the fake input client does not build"
cp /usr/bin/kwin_wayland "$tools/kwin_wayland"

# ROW is MODE:SIZE, MODE wayland or x11.
d_start() {
    MODE=${1%%:*} SIZE=${1#*:}
    DESK_FILLS=0 DESK_EXACT=0
    [[ "$MODE" == x11 ]] && DESK_FILLS=1 DESK_EXACT=1
    local rt=$E2E_ROOT/kde-run
    rm -rf "$rt" "$E2E_ROOT/bus"; mkdir -m 700 "$rt"
    XDG_RUNTIME_DIR=$rt KWIN_WAYLAND_NO_PERMISSION_CHECKS=1 KWIN_SCREENSHOT_NO_PERMISSION_CHECKS=1 \
        dbus-run-session -- bash -c 'echo "$DBUS_SESSION_BUS_ADDRESS" >"$0"; exec "$@"' "$E2E_ROOT/bus" \
        "$tools/kwin_wayland" --virtual --width "${SIZE%x*}" --height "${SIZE#*x}" --xwayland --no-lockscreen \
        --socket wayland-0 >"$E2E_ROOT/kwin.log" 2>&1 &
    KWIN_PID=$!
    desk_track "$KWIN_PID"
    KWIN_LOG=$E2E_ROOT/kwin.log
    xwayland() { pgrep -x Xwayland -P "$(pgrep -P "$KWIN_PID" -f kwin_wayland | head -n 1)" 2>/dev/null | head -n 1 | grep .; }
    up() { [[ -e $rt/wayland-0 && -s $E2E_ROOT/bus ]] && xwayland >/dev/null; }
    local started
    started=$(now)
    until up; do
        kill -0 "$KWIN_PID" 2>/dev/null || desk_skip "kwin_wayland cannot run here: $(grep -v dbus-daemon "$KWIN_LOG" | tail -n 1)"
        holds "$(now) > $started + 20" && desk_skip "kwin_wayland did not start: $(tail -n 1 "$KWIN_LOG")"
        sleep 0.2
    done
    SESSION=(env XDG_RUNTIME_DIR="$rt" WAYLAND_DISPLAY=wayland-0 DBUS_SESSION_BUS_ADDRESS="$(cat "$E2E_ROOT/bus")")
    local args
    args=$(tr '\0' ' ' </proc/"$(xwayland)"/cmdline)
    export DISPLAY XAUTHORITY
    DISPLAY=$(grep -o ' :[0-9]*' <<<"$args" | head -n 1 | tr -d ' ')
    XAUTHORITY=$(sed -n 's/.*-auth \([^ ]*\).*/\1/p' <<<"$args")
    wait_until 10 "KWin's scripting is not on the bus" kwin_script 'print("ready");'
    kwin_script '
        function report(c) {
            var f = c.frameGeometry;
            if (/zenity/i.test(c.resourceClass))
                print("other " + f.x + " " + f.y + " " + f.width + " " + f.height);
            if (!/tessary/i.test(c.resourceClass)) return;
            var g = c.bufferGeometry;
            print("tessary " + g.x + " " + g.y + " " + g.width + " " + g.height + " " + (c.fullScreen ? 1 : 0)
                  + " frame " + f.x + " " + f.y + " " + f.width + " " + f.height + " active " + (c.active ? 1 : 0));
        }
        function watch(c) {
            c.frameGeometryChanged.connect(function () { report(c); });
            c.fullScreenChanged.connect(function () { report(c); });
            c.activeChanged.connect(function () { report(c); });
            report(c);
        }
        workspace.clientList().forEach(watch);
        workspace.clientAdded.connect(watch);' keep
    fresh_program_folder
    if [[ "$MODE" == wayland ]]; then
        start_game env -u DISPLAY XDG_RUNTIME_DIR="$rt" WAYLAND_DISPLAY=wayland-0 ALSOFT_DRIVERS=null
    else
        start_game env -u WAYLAND_DISPLAY ALSOFT_DRIVERS=null
        WIN=$(wait_window)
    fi
    shown() { [[ -n "$(d_rect)" ]]; }
    wait_until 15 "no game window on KWin" shown
    sleep 1
}
d_stop() {
    desk_stop_game
    for pid in "${DESK_PIDS[@]}"; do desk_kill "$pid"; done
    DESK_PIDS=()
}

# Runs a KWin script; "keep" leaves it loaded (its print()s go to kwin.log).
kwin_script() {
    local file name=desk$RANDOM
    file=$(mktemp "$E2E_ROOT/kwin-XXXX.js")
    echo "$1" >"$file"
    local call=("${SESSION[@]}" gdbus call --session --dest org.kde.KWin --object-path /Scripting)
    "${call[@]}" --method org.kde.kwin.Scripting.loadScript "$file" "$name" >/dev/null 2>&1 || return 1
    "${call[@]}" --method org.kde.kwin.Scripting.start >/dev/null || return 1
    [[ "${2:-}" == keep ]] && return 0
    sleep 0.3
    "${call[@]}" --method org.kde.kwin.Scripting.unloadScript "$name" >/dev/null
}
# The game window's last report: "X Y W H FULL frame X Y W H active 0|1".
report() { grep -o 'tessary -\?[0-9]* -\?[0-9]* [0-9]* [0-9]* [01] frame .*' "$KWIN_LOG" | tail -n 1 | cut -d' ' -f2-; }

declare -A EVDEV=([alt]=56 [Return]=28 [Escape]=1)
d_key() {
    local codes=() k keys
    IFS=+ read -ra keys <<<"$1"
    for k in "${keys[@]}"; do codes+=("${EVDEV[$k]}"); done
    "${SESSION[@]}" "$tools/kwin_keys" "$(IFS=+; echo "${codes[*]}")"
    sleep 0.3
}
d_shot() { "${SESSION[@]}" /usr/bin/python3 "$DESK_LIB/kwin_shot.py" "$1"; }
d_output() { echo "0 0 ${SIZE/x/ }"; }
# On Wayland the surface's buffer is the drawable (the frame is KWin's own);
# an X client's drawable is read from the X server.
d_rect() { if [[ "$MODE" == x11 ]]; then x11_rect; else report | cut -d' ' -f1-4; fi; }
d_full_state() { [[ "$(report | cut -d' ' -f5)" == 1 ]]; }
# The frame is KWin's own view of it, title bar and all, on either kind of client.
d_frame() { report | cut -d' ' -f7-10; }
d_focused() { [[ "$(report | cut -d' ' -f12)" == 1 ]]; }
d_usable() { d_output; }
d_full() { x11_full "$@"; }
each_game_window() { kwin_script "workspace.clientList().forEach(function (c) { if (/tessary/i.test(c.resourceClass)) { $1 } });"; }
d_maximise() { if [[ "$1" == on ]]; then each_game_window 'c.setMaximize(true, true);'; else each_game_window 'c.setMaximize(false, false);'; fi; }
d_tile() { each_game_window 'workspace.activeClient = c; workspace.slotWindowQuickTileLeft();'; }
# Another window takes the focus: xmessage for an X client, zenity (a
# Wayland client) for a Wayland one; where KWin puts it is left out of the
# measures.
d_other() {
    if [[ "$MODE" == x11 ]]; then
        x11_other "$@"
    elif [[ "$1" == on ]]; then
        "${SESSION[@]}" GDK_BACKEND=wayland zenity --info --text "another window" >/dev/null 2>&1 &
        OTHER_PID=$!
        desk_track "$OTHER_PID"
        other_rect() { grep -o 'other -\?[0-9]* -\?[0-9]* [0-9]* [0-9]*' "$KWIN_LOG" | tail -n 1 | cut -d' ' -f2- | grep .; }
        wait_until 10 "zenity did not open on KWin" other_rect >/dev/null
        local x y w h
        read -r x y w h < <(other_rect)
        DESK_COVER="$((x - 30)) $((y - 30)) $((w + 60)) $((h + 60))"
    else
        kill "$OTHER_PID"
    fi
    [[ "$1" == on ]] || each_game_window 'workspace.activeClient = c;'
}

desk_run "wayland:1920x1080 full_screen round_trips maximised tiled inactive" \
         "x11:1920x1080 full_screen round_trips maximised tiled inactive inactive_full" \
         "wayland:1024x600 first_window full_screen"
