# shellcheck shell=bash
# Shared steps of the desktop tests (test_desktop_*.sh): the real program on
# a real window manager or compositor started headless, driven the way a
# player drives it (keys, maximise, tile, full screen) and judged from
# screenshots of the whole output and from the window's place and size.
# Each test defines, for its desktop:
#   d_key CHORD        presses a key chord in xdotool's names (alt+Return, super+Up)
#   d_shot FILE        saves a picture of the whole output
#   d_rect             prints the game's drawable as "X Y WIDTH HEIGHT" in output pixels
#   d_full_state       succeeds while the desktop holds the window in full screen
# and then runs the checks below. Source after lib.sh.

DESK_LIB=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
# A failure inside $(...) (a measuring tool, a window that never settles)
# ends the substitution with it, which fails the case, instead of going on
# with an empty answer.
shopt -s inherit_errexit

# Ends the test as skipped (CTest's SKIP_RETURN_CODE) with the reason. Once
# the first row has started, the desktop is known to run here: a start that
# fails later (after a failed case, say) fails the test instead.
desk_skip() {
    [[ "${DESK_RUNNING:-0}" == 1 ]] && e2e_fail "the desktop did not start again: $*"
    echo "SKIP: $*"
    exit 77
}

# Prints the whole number a measuring command prints; a command that fails or
# prints anything else fails the check (an empty count is not 0).
desk_number() {
    local out
    out=$("$@") || e2e_fail "a measuring tool failed: $*"
    [[ "$out" =~ ^[0-9]+$ ]] || e2e_fail "a measuring tool printed '$out', not a count: $*"
    echo "$out"
}

# Skips unless every command is installed.
desk_need() {
    local tool
    for tool in "$@"; do
        command -v "$tool" >/dev/null || desk_skip "$tool is not installed (scripts/install-deps.sh test)"
    done
}

# Ends a process and everything it started (dbus-run-session's children
# outlive it otherwise).
desk_kill() {
    local pid=$1 child
    for child in $(pgrep -P "$pid" 2>/dev/null); do desk_kill "$child"; done
    kill "$pid" 2>/dev/null || true
    for _ in $(seq 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
    wait "$pid" 2>/dev/null || true
}

# Pids of the helpers a test started, ended at exit before the game's own clean-up.
DESK_PIDS=()
desk_track() { DESK_PIDS+=("$@"); }
desk_cleanup() {
    local status=$? pid
    for pid in "${DESK_PIDS[@]}"; do desk_kill "$pid"; done
    e2e_cleanup "$status"
}

# Ends the game of a row, which must still be running: a game that ended by
# itself on the way (a crash) fails the test.
desk_stop_game() {
    [[ -n "${GAME_PID:-}" ]] || return 0
    local status=0
    if ! kill -0 "$GAME_PID" 2>/dev/null || [[ $(ps -o stat= -p "$GAME_PID") == Z* ]]; then
        wait "$GAME_PID" || status=$?
        DESK_FAILED+=("$DESK_ROW: the game had ended, status $status")
    fi
    kill "$GAME_PID" 2>/dev/null || true
    wait "$GAME_PID" 2>/dev/null || true
    GAME_PID=
}

# Starts a private X server of the given size (WxH) at a free display number
# in place of the one e2e_setup made.
desk_xvfb() {
    local size=$1 display
    kill "$XVFB_PID" 2>/dev/null || true
    wait "$XVFB_PID" 2>/dev/null || true
    for _ in $(seq 20); do
        display=$((200 + RANDOM % 5000))
        Xvfb ":$display" -screen 0 "${size}x24" -nolisten tcp -noreset >"$E2E_ROOT/xvfb.log" 2>&1 &
        XVFB_PID=$!
        export DISPLAY=":$display"
        for _ in $(seq 50); do
            xdpyinfo >/dev/null 2>&1 && return 0
            kill -0 "$XVFB_PID" 2>/dev/null || break
            sleep 0.1
        done
    done
    e2e_fail "could not start Xvfb at $size"
}

# Waits until a command prints the same, non-empty text twice 0.3 s apart,
# and prints it: a window the desktop is still moving is not judged.
settled() {
    local seconds=$1 a b
    shift
    a=$("$@" 2>/dev/null || true)
    for _ in $(seq $((seconds * 3))); do
        sleep 0.3
        b=$("$@" 2>/dev/null || true)
        [[ -n "$b" && "$a" == "$b" ]] && { echo "$b"; return 0; }
        a=$b
    done
    e2e_fail "not settled within $seconds s ($*: last '$b')"
}

# ---- The picture ---------------------------------------------------------------
# The game draws its 1280x720 design space into the largest centred 16:9 part
# of its drawable, with black around it. The title's design space has black
# columns of its own, 16 px each side, so the picture's lit part is 1248/1280
# of its width and all of its height.

# Prints the expected picture inside a rectangle "X Y W H": "X Y W H".
picture_rect() {
    local x y w h pw ph
    read -r x y w h <<<"$1"
    pw=$w ph=$h
    if ((w * 9 > h * 16)); then pw=$(((h * 16 + 4) / 9)); else ph=$(((w * 9 + 8) / 16)); fi
    echo "$((x + (w - pw) / 2)) $((y + (h - ph) / 2)) $pw $ph"
}

# Prints the lit (not black) part of a rectangle "X Y W H" of a picture, in
# the picture's coordinates: "X Y W H", measured along a row through its
# middle and a column at 5/16 of its width (where the title is lit from top to
# bottom), so that another window over a corner does not count.
lit_rect() {
    local shot=$1 x y w h
    read -r x y w h <<<"$2"
    lit_span() {
        convert "$shot" -alpha off -crop "$1" +repage -bordercolor black -border 1 -fuzz 12% -format '%@' info:
    }
    local row col
    row=$(lit_span "${w}x5+$x+$((y + h / 2))")
    col=$(lit_span "5x${h}+$((x + w * 5 / 16))+$y")
    awk -F'[x+]' -v x="$x" -v y="$y" -v row="$row" -v col="$col" 'BEGIN {
        split(row, r, /[x+]/); split(col, c, /[x+]/)
        print x + r[3] - 1, y + c[4] - 1, r[1], c[2] }'
}

# The brightest level (0-255, any channel) a black bar may have, and how
# far (in %) a pixel of the picture may be from the reference scaled to the
# picture's size, and how many of the logo's pixels (per thousand) may be
# that far: a picture drawn at half the pixels and doubled, or blurred, has
# its edges a pixel or more off and fails.
DESK_BLACK=6
DESK_TOLERANCE=25
DESK_PERMILLE=${DESK_PERMILLE:-20}

# Prints why the rectangle "X Y W H" of a screenshot does not show the title
# letterboxed (nothing when it does): the bars around the largest centred
# 16:9 part are black over their whole area, the lit part of the picture is
# where it should be within a pixel, and the picture is the golden title at
# its own size. What cover_args names is left out of every measure.
letterbox_fault() {
    local shot=$1 rect=$2 x y w h px py pw ph lx ly lw lh want
    read -r x y w h <<<"$rect"
    read -r px py pw ph < <(picture_rect "$rect")
    local work=$E2E_ROOT/work.miff cover=() bar level
    mapfile -t cover < <(cover_args 0 0)
    convert "$shot" -alpha off "${cover[@]}" "$work"
    for bar in "$((px - x))x$h+$x+$y" "$((x + w - px - pw))x$h+$((px + pw))+$y" \
               "${w}x$((py - y))+$x+$y" "${w}x$((y + h - py - ph))+$x+$((py + ph))"; do
        [[ "$bar" =~ ^[1-9][0-9]*x[1-9] ]] || continue
        level=$(desk_number convert "$work" -crop "$bar" +repage -separate -evaluate-sequence max \
            -format '%[fx:int(255*maxima+0.5)]' info:)
        ((level <= DESK_BLACK)) || { echo "in $rect the bar $bar is not black (level $level)"; return 0; }
    done
    read -r lx ly lw lh < <(lit_rect "$work" "$rect")
    want="$((px + pw * 16 / 1280)) $py $((pw * 1248 / 1280)) $ph"
    local -a wv l
    read -ra wv <<<"$want"
    l=("$lx" "$ly" "$lw" "$lh")
    local i
    for i in 0 1 2 3; do
        if ((l[i] - wv[i] > 1 || wv[i] - l[i] > 1)); then
            echo "in $rect the lit part is $lx $ly $lw $lh, not $want (a 16:9 picture at $px $py $pw $ph)"
            return 0
        fi
    done
    convert "$work" -crop "${pw}x${ph}+$px+$py" +repage "$E2E_ROOT/picture.miff"
    # The reference and the mask at each picture size are made once.
    local reference=$E2E_ROOT/reference-${pw}x$ph.miff sized_mask=$E2E_ROOT/mask-${pw}x$ph.miff
    [[ -f "$reference" ]] || convert "$TITLE_REFERENCE" -alpha off -filter point -resize "${pw}x${ph}!" "$reference"
    # The mask is eroded by a pixel, so that only the logo's inside counts.
    [[ -f "$sized_mask" ]] ||
        convert "$DESK_MASK" -filter point -resize "${pw}x${ph}!" -morphology Erode Square:1 "$sized_mask"
    mapfile -t cover < <(cover_args "$px" "$py")
    convert "$sized_mask" "${cover[@]}" "$E2E_ROOT/mask.miff"
    local total differing
    total=$(desk_number convert "$E2E_ROOT/mask.miff" -format '%[fx:int(mean*w*h+0.5)]' info:)
    differing=$(desk_number masked_pixels_differing "$E2E_ROOT/picture.miff" "$reference" \
        "$E2E_ROOT/mask.miff" "$DESK_TOLERANCE")
    ((total > 1000)) || { echo "only $total pixels of the logo are in sight"; return 0; }
    ((differing * 1000 <= total * DESK_PERMILLE)) ||
        echo "the picture at $px $py $pw $ph is not the title at its size ($differing of $total differ)"
}

# convert's arguments, one a line, that paint black the rectangles "X Y W H"
# left out of the measures (DESK_COVER, another window; DESK_POINTER, where a
# desktop draws its pointer), moved by -OX -OY.
cover_args() {
    local rect x y w h
    for rect in "${DESK_COVER:-}" "${DESK_POINTER:-}"; do
        [[ -n "$rect" ]] || continue
        read -r x y w h <<<"$rect"
        x=$((x - $1)) y=$((y - $2))
        printf '%s\n' -fill black -draw "rectangle $x,$y $((x + w - 1)),$((y + h - 1))"
    done
}

# Fails the test unless the game's drawable shows the title letterboxed; the
# screenshot is kept under the name given (for E2E_KEEP). A desktop still
# moving the window is given DESK_TRIES looks half a second apart.
expect_letterbox() {
    local name=${DESK_ROW//[:@]/-}-$1 fault rect try
    local shot=$E2E_ROOT/$name.png
    DESK_MASK=$E2E_ROOT/title-mask.png
    [[ -f "$DESK_MASK" ]] || make_title_mask "$DESK_MASK"
    for ((try = 1; try <= ${DESK_TRIES:-4}; ++try)); do
        rect=$(d_rect)
        d_shot "$shot"
        fault=$(letterbox_fault "$shot" "$rect")
        [[ -z "$fault" ]] && { echo "ok: $name ($rect, look $try)"; return 0; }
        sleep 0.5
    done
    e2e_fail "$name: $fault (screenshot $name.png)"
}

# Fails unless the game's picture is lit in every look at it, one every
# 0.1 s (as fast as screenshots come) for two seconds: a window the desktop
# resized must show its last picture at once, never black, not even once.
expect_never_black() {
    local name=$1 shot=$E2E_ROOT/sample.png deadline px py pw ph level looks=0
    deadline=$(calc "$(now) + 2")
    while holds "$(now) < $deadline"; do
        read -r px py pw ph < <(picture_rect "$(d_rect)")
        d_shot "$shot"
        # The brightest tenth of the logo's band is lit in the title.
        level=$(desk_number convert "$shot" -alpha off -crop "$((pw / 3))x$((ph / 6))+$((px + pw / 3))+$((py + ph / 5))" \
            +repage -colorspace Gray -format '%[fx:int(255*maxima+0.5)]' info:)
        ((level > 40)) || e2e_fail "$name: the picture at $px $py $pw $ph was black (look $looks)"
        looks=$((looks + 1))
        sleep 0.1
    done
    echo "ok: $name lit in $looks looks over 2 s"
}

# Succeeds when a rectangle "X Y W H" lies wholly inside another.
rect_inside() {
    local x y w h ax ay aw ah
    read -r x y w h <<<"$1"
    read -r ax ay aw ah <<<"$2"
    ((x >= ax && y >= ay && x + w <= ax + aw && y + h <= ay + ah))
}

# ---- X11 ------------------------------------------------------------------------
# The desktop functions for a game window on an X server (Xvfb with a window
# manager, or a compositor's Xwayland), WIN being its id: keys through the X
# test extension, places and sizes from the server, states through EWMH.
# desk_use_x11 makes them the d_ functions below.
x11_key() {
    xdotool windowactivate --sync "$WIN" 2>/dev/null || focus_window "$WIN"
    xdotool key --clearmodifiers "$1"
}
x11_shot() { import -window root "$1"; }
x11_output() { echo "0 0 $(screen_size)"; }
x11_rect() {
    xwininfo -id "$WIN" | awk '/Absolute upper-left X/ { x = $4 } /Absolute upper-left Y/ { y = $4 }
        /Width:/ { w = $2 } /Height:/ { h = $2 } END { if (w) print x, y, w, h }'
}
# _NET_FRAME_EXTENTS: left, right, top, bottom.
x11_frame() {
    local x y w h l r t b
    read -r x y w h < <(x11_rect)
    read -r l r t b < <(xprop -id "$WIN" _NET_FRAME_EXTENTS | sed 's/.*= //; s/,/ /g')
    echo "$((x - ${l:-0})) $((y - ${t:-0})) $((w + ${l:-0} + ${r:-0})) $((h + ${t:-0} + ${b:-0}))"
}
x11_usable() { xprop -root _NET_WORKAREA | sed 's/.*= //; s/,//g' | awk '{ print $1, $2, $3, $4 }'; }
x11_focused() { [[ "$(xdotool getactivewindow 2>/dev/null)" == "$WIN" ]]; }
x11_full_state() { xprop -id "$WIN" _NET_WM_STATE | grep -q _NET_WM_STATE_FULLSCREEN; }
x11_maximise() {
    local op=add; [[ "$1" == off ]] && op=remove
    wmctrl -i -r "$WIN" -b "$op,maximized_vert,maximized_horz"
}
x11_full() {
    local op=add; [[ "$1" == off ]] && op=remove
    wmctrl -i -r "$WIN" -b "$op,fullscreen"
}
x11_other() {
    if [[ "$1" == on ]]; then
        xmessage -geometry +0+0 "another window" &
        OTHER_PID=$!
        desk_track "$OTHER_PID"
        other() { xdotool search --classname '^xmessage$' 2>/dev/null | head -n 1 | grep .; }
        wait_until 5 "xmessage did not open" other >/dev/null
        xdotool windowactivate --sync "$(other)"
        # Its place, with room for a frame and a shadow, is left out of the measures.
        local x y w h
        read -r x y w h < <(WIN=$(other) x11_rect)
        DESK_COVER="$((x - 60)) $((y - 60)) $((w + 120)) $((h + 120))"
    else
        kill "$OTHER_PID"
    fi
}

# Makes the X11 functions the desktop's.
desk_use_x11() {
    local f
    for f in key shot output rect full_state frame usable maximise full other focused; do
        eval "d_$f() { x11_$f \"\$@\"; }"
    done
}

# ---- The cases -----------------------------------------------------------------
# Each desktop also defines:
#   d_output           the output's rectangle "0 0 WIDTH HEIGHT" in pixels
#   d_maximise on|off  maximises the game's window or gives its size back
#   d_tile on|off      tiles it to the left half (or the desktop's own tiling)
#   d_full on|off      puts it in full screen or back, as the desktop's own command
#   d_other on|off     gives the focus to another window, or back to the game
#   d_frame            the window with its frame "X Y W H" (d_rect where there is none)
#   d_usable           the part of the output windows may use "X Y W H"
# DESK_EXACT=1 where the game's own place is known and must come back to the
# pixel (X11); on Wayland the compositor places windows, and only the size is
# compared.

# Prints the drawable's rectangle once the desktop has stopped changing it.
settled_rect() { settled 4 d_rect; }

# Prints how a rectangle differs from the windowed one the case began with,
# as DESK_EXACT asks (nothing when they are the same).
moved_from() {
    local now=$1 was=$2
    if [[ "${DESK_EXACT:-0}" == 1 ]]; then
        [[ "$now" == "$was" ]] || echo "$now instead of $was"
    else
        [[ "${now#* * }" == "${was#* * }" ]] || echo "size ${now#* * } instead of ${was#* * }"
    fi
}

# Full screen: the desktop says so (d_full_state) and the drawable covers the output.
is_full() { [[ "$(d_rect)" == "$(d_output)" ]] && d_full_state; }
not_full() { [[ -n "$(d_rect)" ]] && ! d_full_state; }

# Alt+Enter covers the output with the letterboxed picture; again, it returns.
case_full_screen() {
    local was
    was=$(settled_rect)
    d_key alt+Return
    wait_until 8 "Alt+Enter: $(d_rect) does not cover the output $(d_output)" is_full
    expect_letterbox full-screen
    d_key alt+Return
    wait_until 8 "the second Alt+Enter left the full screen on" not_full
}

# Three round trips through full screen end where the window began.
case_round_trips() {
    local was now fault round
    was=$(settled_rect)
    for round in 1 2 3; do
        d_key alt+Return
        wait_until 8 "round $round: no full screen ($(d_rect))" is_full
        sleep 0.3
        d_key alt+Return
        wait_until 8 "round $round: the full screen stayed" not_full
        now=$(settled_rect)
        fault=$(moved_from "$now" "$was")
        [[ -z "$fault" ]] || e2e_fail "after round $round the window is at $fault"
    done
    echo "ok: three round trips back at $now"
}

# A size the desktop sets: the picture is letterboxed into it, and the
# window's own size comes back after.
desk_sized_case() {
    local how=$1 name=$2 was now fault w ow
    was=$(settled_rect)
    "$how" on
    wait_until 8 "$name: the window kept its size $was" changed_from "$was"
    [[ -n "${DESK_WATCH:-}" ]] && expect_never_black "$name"
    now=$(settled_rect)
    # Maximised, the window and its frame fill the usable area to the pixel.
    if [[ "$how" == d_maximise && "${DESK_FILLS:-0}" == 1 ]]; then
        local frame usable
        frame=$(settled 4 d_frame)
        usable=$(d_usable)
        [[ "$frame" == "$usable" ]] || e2e_fail "$name: the window with its frame is $frame, not the usable area $usable"
        echo "ok: $name fills $usable"
    fi
    # A tile to half the output is taken as it comes, not resized by the game.
    if [[ -n "${DESK_HALF:-}" ]]; then
        read -r _ _ w _ <<<"$now"
        read -r _ _ ow _ < <(d_output)
        ((w * 2 <= ow)) || e2e_fail "$name: the window is $now, wider than half the output"
    fi
    expect_letterbox "$name"
    "$how" off
    [[ -n "${DESK_WATCH:-}" ]] && expect_never_black "$name-back"
    now=$(settled_rect)
    fault=$(moved_from "$now" "$was")
    [[ -z "$fault" ]] || e2e_fail "after $name the window is at $fault"
}
changed_from() { [[ -n "$(d_rect)" && "$(d_rect)" != "$1" ]]; }
case_maximised() { desk_sized_case d_maximise maximised; }
case_tiled() { DESK_HALF=1 desk_sized_case d_tile tiled; }

# While another window has the focus (d_focused says the game lost it) the
# desktop maximises the game's window: the game shows its last picture at the
# new size and back, never black in any look over two seconds after each.
desk_inactive_case() {
    local how=$1 name=$2
    d_other on
    wait_until 5 "the other window did not take the focus" lost_focus
    DESK_WATCH=1 DESK_TRIES=${DESK_LAG_TRIES:-1} desk_sized_case "$how" "$name"
    d_other off
    DESK_COVER=
}
lost_focus() { ! d_focused; }
case_inactive() { desk_inactive_case d_maximise inactive-maximised; }
# The same with the desktop switching the game to full screen (d_full on|off).
case_inactive_full() { desk_inactive_case d_full inactive-full-screen; }

# The first window, frame and all, lies inside the usable area.
case_first_window() {
    local frame usable
    frame=$(settled 4 d_frame)
    usable=$(d_usable)
    rect_inside "$frame" "$usable" || e2e_fail "the first window $frame is not inside the usable area $usable"
    echo "ok: first window $frame inside $usable"
}

# Runs the table: rows of "SCREEN CASE..."; d_start SCREEN starts the desktop
# and the game on it for each row. A case that fails is reported and the row
# goes on with the desktop and the game started afresh, so that one run tells
# every case's result; the test fails at the end if any did.
desk_run() {
    local row case cases
    DESK_FAILED=()
    for row in "$@"; do
        read -r DESK_ROW cases <<<"$row"
        echo "== $DESK_NAME $DESK_ROW: $cases"
        d_start "$DESK_ROW"
        DESK_RUNNING=1
        for case in $cases; do
            # Each case runs in a subshell that stops at its first error (a
            # subshell tested with && or || would run on past errors).
            local status=0
            set +e
            (set -e; "case_$case")
            status=$?
            set -e
            ((status == 0)) && continue
            DESK_FAILED+=("$DESK_ROW $case")
            d_stop
            cp "$E2E_DIR/stderr.log" "$E2E_ROOT/${DESK_ROW//[:@]/-}-$case-stderr.log" 2>/dev/null || true
            d_start "$DESK_ROW"
        done
        d_stop
    done
    [[ ${#DESK_FAILED[@]} -eq 0 ]] || e2e_fail "$DESK_NAME: failed: $(printf '[%s] ' "${DESK_FAILED[@]}")"
    echo "PASS"
}
