# Shared steps of the end-to-end tests: a copy of the program folder, a real
# X server (Xvfb), the real program, and helpers to drive and watch it: keys,
# screenshots compared with reference pictures (golden/) and with text drawn
# from the game's own glyph sheet, Game.ini bytes, and recordings of the sound.
# Usage from a test: source lib.sh; e2e_setup <build/game>; ...
# Set E2E_KEEP=<folder> to keep a run's screenshots, recordings and logs.
#
# The same tests run against the sanitized program (build-asan/game): every
# report of AddressSanitizer, LeakSanitizer or UndefinedBehaviorSanitizer from
# any program a test starts fails the test. With TESSARY_GL_DEBUG=1 (CTest sets
# it) the program validates its GL calls, and a GL error fails the test too:
# every run's standard error is read, whether it ended on its own or was
# killed, and before the next run overwrites it.

set -euo pipefail

e2e_fail() {
    echo "FAIL: $*" >&2
    [[ -s "${E2E_DIR:-/nonexistent}/stderr.log" ]] && sed 's/^/  game: /' "$E2E_DIR/stderr.log" >&2
    exit 1
}

# Ends the run with the status it ended with ($?, or the first argument when a
# caller's own clean-up ran commands first) unless a sanitizer reported.
e2e_cleanup() {
    local status=${1:-$?}
    [[ -n "${GAME_PID:-}" ]] && kill -9 "$GAME_PID" 2>/dev/null || true
    # A run nobody read yet (the test ended right after it): its GL report.
    # In a subshell, since a failing check exits.
    [[ -n "${GL_LOG_UNREAD:-}" ]] && { (check_gl_debug "$GL_LOG_UNREAD" killed) || status=1; }
    if [[ -n "${XVFB_PID:-}" ]]; then
        kill "$XVFB_PID" 2>/dev/null || true
        wait "$XVFB_PID" 2>/dev/null || true  # gone before the next run starts one
    fi
    sanitizer_reports || status=1
    # E2E_KEEP=<folder> keeps the run's files (screenshots, recordings, logs).
    [[ -n "${E2E_KEEP:-}" && -n "${E2E_ROOT:-}" ]] && cp -a "$E2E_ROOT" "$E2E_KEEP"
    if [[ -n "${E2E_ROOT:-}" ]]; then
        chmod -R u+w "$E2E_ROOT" 2>/dev/null || true # a test may leave a folder read-only
        rm -rf "$E2E_ROOT"
    fi
    exit "$status"
}

# ---- Sanitizers and GL validation --------------------------------------------------
# The sanitizers write their reports to files of their own (one per process)
# rather than to standard error, so that none is lost with a log a test
# overwrites or throws away; the leak check runs when a program exits.
# Programs preloaded with faketime load it ahead of the sanitizer's runtime,
# which is allowed here. Leaks inside the system's libraries are listed in
# tests/sanitizer/lsan.supp. The settings are harmless to the plain program.
sanitizer_settings() {
    E2E_REPORTS=$E2E_ROOT/sanitizer-reports
    # Programs started as another user (nobody) write their reports here too.
    mkdir -m 1777 "$E2E_REPORTS"
    local suppressions
    suppressions=$(cd "$(dirname "${BASH_SOURCE[0]}")/../sanitizer" && pwd)/lsan.supp
    export ASAN_OPTIONS="detect_leaks=1:verify_asan_link_order=0:log_path=$E2E_REPORTS/asan${ASAN_OPTIONS:+:$ASAN_OPTIONS}"
    export LSAN_OPTIONS="suppressions=$suppressions:print_suppressions=0${LSAN_OPTIONS:+:$LSAN_OPTIONS}"
    export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1:log_path=$E2E_REPORTS/ubsan${UBSAN_OPTIONS:+:$UBSAN_OPTIONS}"
}

# Prints every sanitizer report written so far and fails when there is one.
sanitizer_reports() {
    [[ -n "${E2E_REPORTS:-}" && -d "$E2E_REPORTS" ]] || return 0
    local report found=0
    for report in "$E2E_REPORTS"/*; do
        [[ -s "$report" ]] || continue
        found=1
        echo "FAIL: sanitizer report $(basename "$report"):" >&2
        sed 's/^/  /' "$report" | head -n 80 >&2
    done
    return $((found))
}

# Checks a program's standard error for the GL validation's verdict: no GL
# error reported; a run whose window was seen (wait_window) said that its
# debug output is on, since without it nothing is validated; and a run that
# ended on its own, not "killed", gave the summary line with 0 errors.
#   check_gl_debug LOG [killed]
check_gl_debug() {
    local log=$1 ended=${2:-} shown=
    [[ -e "${E2E_ROOT:-/nonexistent}/window-shown" ]] && shown=1
    rm -f "${E2E_ROOT:-/nonexistent}/window-shown"
    GL_LOG_UNREAD=
    [[ -n "${TESSARY_GL_DEBUG:-}" && "$TESSARY_GL_DEBUG" != 0 ]] || return 0
    [[ -f "$log" ]] || e2e_fail "no standard error log $log to read the GL report from"
    # (A shader the compiler rejects is reported as an error too, but it is
    # no failed call, and the program says so itself.)
    local errors
    errors=$(grep '^OpenGL debug message: error' "$log" | grep -v ', shader compiler,' || true)
    [[ -z "$errors" ]] || e2e_fail "OpenGL reported errors: $(head -n 3 <<<"$errors")"
    ! grep -q '^Tessary: TESSARY_GL_DEBUG is set, but' "$log" ||
        e2e_fail "GL calls not validated: $(grep '^Tessary: TESSARY_GL_DEBUG is set, but' "$log")"
    if ! grep -q '^Tessary: OpenGL debug output is on' "$log"; then
        [[ -z "$shown" ]] || e2e_fail "the program showed its window without GL debug output"
        return 0
    fi
    [[ "$ended" != killed ]] || return 0
    local summary
    summary=$(grep -E '^OpenGL debug: [0-9]+ errors, [0-9]+ warnings$' "$log" | tail -n 1 || true)
    [[ -n "$summary" ]] || e2e_fail "no OpenGL debug summary at exit"
    [[ "$summary" == "OpenGL debug: 0 errors,"* ]] || e2e_fail "$summary"
}

# Makes E2E_DIR a fresh copy of the program folder, without settings or slots.
fresh_program_folder() {
    [[ -z "${GL_LOG_UNREAD:-}" ]] || check_gl_debug "$GL_LOG_UNREAD" killed
    rm -rf "$E2E_DIR"
    mkdir -p "$(dirname "$E2E_DIR")"
    cp -a "$E2E_SOURCE" "$E2E_DIR"
    rm -f "$E2E_DIR/Game.ini" "$E2E_DIR"/save*.dat "$E2E_DIR/alsoft.conf"
    # Stamped far in the past, so that dir_txt_rewritten can tell the
    # program's own save from the copy.
    [[ ! -f "$E2E_DIR/dir.txt" ]] || touch -d @1000000000 "$E2E_DIR/dir.txt"
}

# Succeeds when the program rewrote dir.txt in its own folder (portable
# copies do so at the close), with its one line "data\", and wrote none in
# the folder it was started from.
dir_txt_rewritten() {
    [[ ! -e "$E2E_ROOT/dir.txt" ]] || e2e_fail "dir.txt was written in the working folder $E2E_ROOT"
    cmp <(printf '\xff\xfed\x00a\x00t\x00a\x00\\\x00') "$E2E_DIR/dir.txt" || e2e_fail "dir.txt differs"
    [[ $(stat -c %Y "$E2E_DIR/dir.txt") -gt 1000000000 ]] ||
        e2e_fail "dir.txt in $E2E_DIR was not rewritten"
}

# Copies the program folder and starts a private X server.
e2e_setup() {
    local source=$1
    [[ -x "$source/tessary" ]] || e2e_fail "no program at $source/tessary"
    # A program built with the sanitizers runs several times slower; bounds on
    # its speed are widened by E2E_SLOWDOWN.
    E2E_SLOWDOWN=1
    ldd "$source/tessary" 2>/dev/null | grep -q 'libasan' && E2E_SLOWDOWN=5
    E2E_ROOT=$(mktemp -d)
    trap e2e_cleanup EXIT
    sanitizer_settings
    # No session bus: the program under test must not reach the desktop's own
    # (SDL would hold off the real screen saver through it), and each run
    # meets the same system, with or without a desktop around it. (Where no
    # bus is set, libdbus tries to start one, fails, and keeps 1 KiB it never
    # frees, which the leak checker reports.)
    export DBUS_SESSION_BUS_ADDRESS=unix:path=$E2E_ROOT/no-session-bus
    E2E_SOURCE=$source
    E2E_DIR=$E2E_ROOT/game
    fresh_program_folder
    # Each test gets its own lock file, so a game the developer has open does not interfere.
    export XDG_RUNTIME_DIR=$E2E_ROOT/run
    mkdir -m 700 "$XDG_RUNTIME_DIR"
    # A display number from a wide random range, so that two runs at once, or
    # a run right after another, never share a server. Xvfb refuses a number
    # that is taken; then another is tried. -noreset: by default the server
    # resets when its last client leaves (the readiness probe below) and
    # refuses connections while it does, so the game could find no display.
    local display
    for _ in $(seq 20); do
        display=$((200 + RANDOM % 5000))
        Xvfb ":$display" -screen 0 1920x1080x24 -nolisten tcp -noreset >"$E2E_ROOT/xvfb.log" 2>&1 &
        XVFB_PID=$!
        export DISPLAY=":$display"
        for _ in $(seq 50); do
            xdpyinfo >/dev/null 2>&1 && kill -0 "$XVFB_PID" 2>/dev/null && return 0
            kill -0 "$XVFB_PID" 2>/dev/null || break
            sleep 0.1
        done
        kill "$XVFB_PID" 2>/dev/null || true
        wait "$XVFB_PID" 2>/dev/null || true
    done
    e2e_fail "could not start Xvfb"
}

# Starts the program from another folder (it must find its files by itself),
# through the command given, if any (faketime, setpriv, env ...).
start_game() {
    # The last run's GL report, unless it was read already.
    [[ -z "${GL_LOG_UNREAD:-}" ]] || check_gl_debug "$GL_LOG_UNREAD" killed
    (cd "$E2E_ROOT" && exec "$@" "$E2E_DIR/tessary") >"$E2E_DIR/stdout.log" \
        2>"$E2E_DIR/stderr.log" &
    GAME_PID=$!
    GL_LOG_UNREAD=$E2E_DIR/stderr.log
}

# Prints the id of the program's window once it is shown.
wait_window() {
    local id
    for _ in $(seq 100); do
        id=$(xdotool search --onlyvisible --name '^Tessary$' 2>/dev/null | head -n 1 || true)
        if [[ -n "$id" ]]; then
            : >"$E2E_ROOT/window-shown" # (this runs in a subshell: a file, not a variable)
            echo "$id"
            return 0
        fi
        kill -0 "$GAME_PID" 2>/dev/null || e2e_fail "the program ended before its window appeared"
        sleep 0.1
    done
    e2e_fail "no window titled Tessary within 10 s"
}

# Waits for a child process to end within the given seconds and leaves its exit
# code in EXIT_CODE. (Not for use inside $(...): only this shell can reap it.)
wait_exit() {
    local pid=$1 seconds=$2
    for _ in $(seq $((seconds * 10))); do
        if ! kill -0 "$pid" 2>/dev/null || [[ $(ps -o stat= -p "$pid" 2>/dev/null) == Z* ]]; then
            EXIT_CODE=0
            wait "$pid" || EXIT_CODE=$?
            [[ "$pid" != "${GAME_PID:-}" ]] || check_gl_debug "$E2E_DIR/stderr.log"
            return 0
        fi
        sleep 0.1
    done
    e2e_fail "process $pid still running after ${seconds} s"
}

# Kills the running program at once with SIGKILL, as a crash or a lost
# session would: the program itself, not only a wrapper such as faketime that
# started it and waits for it. It prints no GL summary then, but every GL
# error it met until then is in its log.
kill_game_now() {
    local pid=$GAME_PID
    GAME_PID=
    pkill -KILL -P "$pid" 2>/dev/null || true
    kill -KILL "$pid" 2>/dev/null || true
    wait_exit "$pid" 10
    ! pgrep -f -x "$E2E_DIR/tessary" >/dev/null || e2e_fail "the program outlived its SIGKILL"
    check_gl_debug "$E2E_DIR/stderr.log" killed
}

# Sends one key press to the window through the X test extension.
press_key() {
    focus_window "$1"
    xdotool key --clearmodifiers "$2"
}

# ---- Waiting ---------------------------------------------------------------------

# Seconds since the epoch, with fractions.
now() { date +%s.%N; }

# Prints the value of an arithmetic expression with fractions: calc "1.5 * 2".
calc() { awk "BEGIN { printf \"%.6f\\n\", $* }"; }

# Succeeds when a condition on numbers with fractions holds: holds "0.5 < 1".
holds() { awk "BEGIN { exit !($*) }"; }

# Seconds (fractional) since the given time stamp.
seconds_since() { awk -v a="$1" -v b="$(now)" 'BEGIN { printf "%.2f", b - a }'; }

# Runs a command every 0.1 s until it succeeds; fails the test with the message
# once the given seconds have passed.
wait_until() {
    local seconds=$1 message=$2
    shift 2
    local deadline
    deadline=$(calc "$(now) + $seconds")
    until "$@"; do
        holds "$(now) > $deadline" && e2e_fail "$message"
        sleep 0.1
    done
}

# ---- Keys ------------------------------------------------------------------------

# Gives the window the keyboard focus (there is no window manager to do it).
focus_window() {
    xdotool windowfocus --sync "$1" 2>/dev/null || xdotool windowfocus "$1"
}

# Taps each key in turn, with a pause that lets the game see every release
# (a menu steps once per press and needs one frame without the key).
tap_keys() {
    local window=$1
    shift
    focus_window "$window"
    local key
    for key in "$@"; do
        xdotool key --clearmodifiers "$key"
        sleep 0.15
    done
}

# ---- Window ----------------------------------------------------------------------

# Prints the window's place and size: "X Y WIDTH HEIGHT".
window_geometry() {
    xdotool getwindowgeometry --shell "$1" |
        awk -F= '{ v[$1] = $2 } END { print v["X"], v["Y"], v["WIDTH"], v["HEIGHT"] }'
}

# Succeeds when the window's place and size are "X Y WIDTH HEIGHT".
has_geometry() { [[ "$(window_geometry "$1")" == "$2" ]]; }

# Prints the X screen's size: "WIDTH HEIGHT".
screen_size() { xdpyinfo | awk '/dimensions:/ { sub("x", " ", $2); print $2; exit }'; }

# ---- Settings file ---------------------------------------------------------------

# The 24 leading bytes a fresh install saves: 0, 1, display mode 0, vsync 1, 1,
# float 1e-6, float 0, 1, 0, 0, folder relative 1, pad 1, timer 0, 1, frame
# skip 0, sound set 1 (Ogg), font 1, 1. The rest of the 512 bytes is zero.
SETTINGS_HEAD='\x00\x01\x00\x01\x01\xbd\x37\x86\x35\x00\x00\x00\x00\x01\x00\x00\x01\x01\x00\x01\x00\x01\x01\x01'

# Writes a Game.ini with the fresh-install bytes (the pad's four functions on
# A, B, X and Y: bytes 24..27 = 0, 1, 2, 3), then each OFFSET=VALUE byte.
write_settings() {
    local file=$1
    shift
    { printf '%b' "$SETTINGS_HEAD"; head -c 488 /dev/zero; } >"$file"
    patch_bytes "$file" 25=1 26=2 27=3 "$@"
}

# Sets single bytes of a file in place: OFFSET=VALUE ...
patch_bytes() {
    local file=$1
    shift
    local pair
    for pair in "$@"; do
        printf '%b' "\\x$(printf '%02x' "${pair#*=}")" |
            dd of="$file" bs=1 seek="${pair%%=*}" conv=notrunc status=none
    done
}

# Writes a little-endian int32 at a byte offset of a file.
put_int32() {
    local v=$(($3 & 0xFFFFFFFF))
    patch_bytes "$1" "$2=$((v & 255))" "$(($2 + 1))=$((v >> 8 & 255))" \
        "$(($2 + 2))=$((v >> 16 & 255))" "$(($2 + 3))=$((v >> 24))"
}

# Prints the little-endian int32 at a byte offset of a file.
read_int32() { od -An -td4 -j"$2" -N4 "$1" | tr -d ' '; }

# ---- Screens ---------------------------------------------------------------------

# Saves the window's picture as it is on the X server.
screenshot() {
    local window=$1 file=$2
    for _ in 1 2 3; do
        import -window "$window" "$file" 2>/dev/null && return 0
        sleep 0.1
    done
    e2e_fail "could not take a screenshot of window $window"
}

# Passes a count through from standard input; prints nothing and fails on
# anything else, such as the empty output of a tool that failed.
only_count() {
    local value
    value=$(cat)
    [[ "$value" =~ ^[0-9]+$ ]] || { echo "not a count: \"$value\"" >&2; return 1; }
    echo "$value"
}

# Prints how many pixels of two pictures differ by more than TOLERANCE (in %
# of the full range, in any channel) inside a region WxH+X+Y; fails when the
# comparison gives no count.
pixels_differing() {
    local a=$1 b=$2 region=$3 tolerance=${4:-3}
    convert \( "$a" -alpha off -crop "$region" +repage \) \
            \( "$b" -alpha off -crop "$region" +repage \) \
            -compose difference -composite -separate -evaluate-sequence max \
            -threshold "$tolerance%" -format '%[fx:int(mean*w*h+0.5)]\n' info: | only_count
}

# Prints how many pixels inside the white part of a mask differ between two
# pictures by more than TOLERANCE (in %).
masked_pixels_differing() {
    local a=$1 b=$2 mask=$3 tolerance=${4:-3}
    convert \( "$a" -alpha off \) \( "$b" -alpha off \) \
            -compose difference -composite -separate -evaluate-sequence max \
            "$mask" -compose multiply -composite \
            -threshold "$tolerance%" -format '%[fx:int(mean*w*h+0.5)]\n' info: | only_count
}

# A picture of the data folder is a 512x512 palette PNG; index 0 is see-through.
PICTURES=data/grp

# A 1280x720 mask, white where the logo's two pieces are opaque (drawn three
# times their size): the part of the title that never moves.
make_logo_mask() {
    local out=$1 pictures=$E2E_DIR/$PICTURES/tex_0002.png
    convert -size 1280x720 xc:black \
        \( "$pictures" -crop 160x40+0+0 +repage -filter point -resize 480x120\! -alpha extract \) \
        -geometry +446+144 -compose lighten -composite \
        \( "$pictures" -crop 136x40+0+48 +repage -filter point -resize 408x120\! -alpha extract \) \
        -geometry +644+144 -compose lighten -composite \
        -threshold 50% "$out"
}

# Makes a 1280x720 mask, white where the title's still parts are opaque: the
# logo and the two items at rest (ranking and options, while the cursor is on
# start).
make_title_mask() {
    local out=$1 pictures=$E2E_DIR/$PICTURES/tex_0002.png
    make_logo_mask "$out"
    convert "$out" \
        \( "$pictures" -crop 96x32+160+32 +repage -filter point -resize 288x96\! -alpha extract \) \
        -geometry +512+504 -compose lighten -composite \
        \( "$pictures" -crop 96x32+160+64 +repage -filter point -resize 288x96\! -alpha extract \) \
        -geometry +512+600 -compose lighten -composite \
        -threshold 50% "$out"
}

# The reference pictures: screens rendered by the scene code on the real
# device (ReadmeScreens in tests/unit/readme_screens_test.cpp), kept here apart
# from the README's copies in docs/screens/, so that refreshing the README does
# not change what these tests expect. Replace one only on purpose, with a
# picture rendered by that test (TESSARY_SCREENS_DIR names its output folder).
GOLDEN=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)/golden
TITLE_REFERENCE=$GOLDEN/title.png
# shellcheck disable=SC2034 # the name the scripts in bench/ use
SCREENS=$GOLDEN

# Succeeds when a region WxH+X+Y of the screenshot is the same as in a reference.
shows_region() {
    local shot=$1 reference=$2 region=$3 differing
    differing=$(pixels_differing "$shot" "$reference" "$region") ||
        e2e_fail "could not compare $shot with $reference"
    [[ "$differing" -le "${4:-0}" ]]
}

# Succeeds when the screenshot shows the title's logo and resting items.
shows_title() {
    local shot=$1 mask=$2
    local differing
    differing=$(masked_pixels_differing "$shot" "$TITLE_REFERENCE" "$mask") ||
        e2e_fail "could not compare $shot with the title"
    [[ "$differing" -le 50 ]]
}

# ---- Text ------------------------------------------------------------------------
# The game draws text as quads from its glyph sheet (texture 6): character c is
# the 16x32 cell at (16*(c%16), 32*(c/16)), drawn WxH, one character every
# ADVANCE pixels, later ones over earlier ones.

# Makes a transparent 1280x720 picture with lines of text drawn as the game
# draws them, each glyph WxH, one every ADVANCE pixels:
#   text_layer OUT W H ADVANCE  X Y TEXT  [X Y TEXT]...
text_layer() {
    local out=$1 width=$2 height=$3 advance=$4
    shift 4
    local sheet=$E2E_DIR/$PICTURES/tex_0006.png
    local args=() x y text i c code
    while [[ $# -ge 3 ]]; do
        x=$1 y=$2 text=$3
        shift 3
        for ((i = 0; i < ${#text}; ++i)); do
            c=${text:i:1}
            [[ "$c" == " " ]] && continue
            code=$(printf '%d' "'$c")
            args+=(\( "$sheet" -crop "16x32+$((16 * (code % 16)))+$((32 * (code / 16)))" +repage
                   -filter point -resize "${width}x${height}!" \)
                   -geometry "+$((x + advance * i))+$y" -composite)
        done
    done
    convert -size 1280x720 xc:none "${args[@]}" "$out"
}

# Compares the text of a screenshot with a text layer inside a region WxH+X+Y
# and prints "<missing> <extra>": pixels of the expected glyphs that are not on
# the screen, and glyph-light pixels on the screen where no glyph is expected.
# Glyph fill is light grey to white (every channel 198 or more); nothing else
# the game draws behind its text is that light.
glyph_mismatch() {
    local shot=$1 layer=$2 region=$3
    local missing extra
    missing=$(convert \( "$shot" -alpha off -crop "$region" +repage \) \
                      \( "$shot" -alpha off "$layer" -compose over -composite \
                         -crop "$region" +repage \) \
                      -compose difference -composite -separate -evaluate-sequence max \
                      -threshold 8% -format '%[fx:int(mean*w*h+0.5)]' info:)
    extra=$(convert \( "$shot" -alpha off -crop "$region" +repage -separate \
                       -evaluate-sequence min -threshold 74% \) \
                    \( "$layer" -crop "$region" +repage -alpha extract -negate \) \
                    -compose multiply -composite -format '%[fx:int(mean*w*h+0.5)]' info:)
    echo "$missing $extra"
}

# Succeeds when the screenshot shows exactly the layer's text in the region.
shows_glyphs() {
    [[ "$(glyph_mismatch "$@")" == "0 0" ]]
}

# Takes a screenshot of the window and runs a check on it:
#   screen_shows WINDOW CHECK ARGS...   runs CHECK <screenshot> ARGS...
screen_shows() {
    local window=$1 check=$2
    shift 2
    screenshot "$window" "$E2E_ROOT/screen.png"
    "$check" "$E2E_ROOT/screen.png" "$@"
}

# ---- Sound -----------------------------------------------------------------------
# OpenAL Soft reads alsoft.conf in the program's folder; its wave driver writes
# what the program plays to a file, in real time from the moment the program
# opens its sound device.

# Makes the program record its sound into a WAVE file.
record_sound() {
    unset ALSOFT_DRIVERS ALSOFT_CONF
    printf '[general]\ndrivers=wave\n[wave]\nfile=%s\n' "$1" >"$E2E_DIR/alsoft.conf"
}

# Writes a sound as text, one "time sample" line per sample, mono at 8 kHz.
sound_samples() { sox -V1 "$1" -r 8000 -c 1 -t dat "$2"; }

# Prints the RMS level of a sound between two times (in seconds).
sound_level() {
    sox -V1 "$1" -n trim "$2" "=$3" stat 2>&1 | awk '/^RMS +amplitude/ { print $3 }'
}

# Prints the time at which sound samples (sound_samples) first rise above a
# level in a 10 ms block.
sound_onset() {
    awk -v level="$2" '/^;/ { next }
        { sum += $2 * $2; if (++n == 80) { if (sqrt(sum / 80) > level) { print block * 0.01; exit }
                                          n = 0; sum = 0; block++ } }' "$1"
}

# Finds where, between two times, a recording (sound_samples) holds the first
# 0.15 s of a sound (sound_samples): prints the time and the normalised
# cross-correlation there (1: the same waveform, whatever its volume).
sound_find() {
    awk -v from="$3" -v to="$4" -v rate=8000 -v span=0.15 '
        FNR == 1 { file++ }
        /^;/ { next }
        file == 1 { t[nt++] = $2; next }
        { r[nr++] = $2 }
        END {
            L = int(span * rate); if (L > nt) L = nt
            for (i = 0; i < L; i++) tt += t[i] * t[i]
            a = int(from * rate); b = int(to * rate); if (a < 0) a = 0; if (b > nr - L) b = nr - L
            for (i = a; i < a + L; i++) rr += r[i] * r[i]
            best = -2; at = a
            for (lag = a; lag <= b; lag++) {
                s = 0; for (i = 0; i < L; i++) s += t[i] * r[lag + i]
                c = rr > 0 ? s / sqrt(tt * rr) : 0
                if (c > best) { best = c; at = lag }
                rr += r[lag + L] * r[lag + L] - r[lag] * r[lag]
            }
            printf "%.3f %.3f\n", at / rate, best
        }' "$1" "$2"
}

# ---- Options window --------------------------------------------------------------
# A chosen value is marked by a highlight whose body is golden, yellower than
# anything else behind the values (window bodies, title, text): the box with by
# far the most red and green against blue is it.

# Prints, for each row of boxes, which box holds the highlight (-1 when no box
# stands out). A row is "X Y STEP COUNT WIDTH HEIGHT": COUNT boxes of
# WIDTHxHEIGHT, the first at (X, Y), one every STEP pixels.
#   highlighted_boxes SHOT ROW...
highlighted_boxes() {
    local shot=$1 args=() counts=() row x y step count width height k
    shift
    for row in "$@"; do
        read -r x y step count width height <<<"$row"
        counts+=("$count")
        for ((k = 0; k < count; ++k)); do
            args+=(\( +clone -crop "$((width - 8))x$((height - 8))+$((x + step * k + 4))+$((y + 4))"
                   +repage -format '%[fx:255 * (mean.r + mean.g - 2 * mean.b)]\n' -write info:
                   +delete \))
        done
    done
    convert "$shot" "${args[@]}" null: | awk -v counts="${counts[*]}" '
        BEGIN { rows = split(counts, c, " ") }
        { yellow[NR] = $1 }
        END {
            at = 0
            for (r = 1; r <= rows; r++) {
                best = -1e9; second = -1e9; which = -1
                for (k = 0; k < c[r]; k++) {
                    v = yellow[++at]
                    if (v > best) { second = best; best = v; which = k }
                    else if (v > second) second = v
                }
                printf("%s%d", (r > 1 ? " " : ""), (best - second >= 15 ? which : -1))
            }
            print ""
        }'
}

# Prints the values the options window shows, read from a screenshot: display
# mode, vertical sync, timer, frame skip, the four buttons, the colour.
shown_options() {
    highlighted_boxes "$1" "330 78 188 2 188 20" "330 130 188 2 188 20" "330 182 188 4 188 20" \
        "330 234 188 2 188 20" "512 390 30 10 30 20" "512 442 30 10 30 20" \
        "512 494 30 10 30 20" "512 546 30 10 30 20" "512 598 30 10 30 20"
}
