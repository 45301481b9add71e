# Shared steps of the end-to-end tests: a copy of the program folder, a real
# X server (Xvfb), the real program, and helpers to drive and watch it.
# Usage from a test: source lib.sh; e2e_setup <build/game>; ...

set -euo pipefail

e2e_fail() {
    echo "FAIL: $*" >&2
    [[ -s "${E2E_DIR:-/nonexistent}/stderr.log" ]] && sed 's/^/  game: /' "$E2E_DIR/stderr.log" >&2
    exit 1
}

e2e_cleanup() {
    [[ -n "${GAME_PID:-}" ]] && kill -9 "$GAME_PID" 2>/dev/null || true
    if [[ -n "${XVFB_PID:-}" ]]; then
        kill "$XVFB_PID" 2>/dev/null || true
        wait "$XVFB_PID" 2>/dev/null || true  # gone before the next run starts one
    fi
    [[ -n "${E2E_ROOT:-}" ]] && rm -rf "$E2E_ROOT"
}

# Copies the program folder and starts a private X server.
e2e_setup() {
    local source=$1
    [[ -x "$source/tessary" ]] || e2e_fail "no program at $source/tessary"
    E2E_ROOT=$(mktemp -d)
    trap e2e_cleanup EXIT
    E2E_DIR=$E2E_ROOT/game
    cp -a "$source" "$E2E_DIR"
    rm -f "$E2E_DIR/Game.ini" "$E2E_DIR"/save*.dat
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

# Starts the program from another folder (it must find its files by itself).
start_game() {
    (cd "$E2E_ROOT" && exec "$E2E_DIR/tessary") >"$E2E_DIR/stdout.log" 2>"$E2E_DIR/stderr.log" &
    GAME_PID=$!
}

# Prints the id of the program's window once it is shown.
wait_window() {
    local id
    for _ in $(seq 100); do
        id=$(xdotool search --onlyvisible --name '^Tessary$' 2>/dev/null | head -n 1 || true)
        if [[ -n "$id" ]]; then
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
            return 0
        fi
        sleep 0.1
    done
    e2e_fail "process $pid still running after ${seconds} s"
}

# Sends one key press to the window through the X test extension.
press_key() {
    local window=$1 key=$2
    xdotool windowfocus --sync "$window" 2>/dev/null || xdotool windowfocus "$window"
    xdotool key --clearmodifiers "$key"
}
