# Steps shared by the tests of an installed game (a prefix made by
# `cmake --install`, or the Debian package unpacked): start the installed
# program, see its title, close it with Esc, and check that it wrote only into
# the player's folder. Source after lib.sh and e2e_setup.

# The build folder whose program folder the test was given (<build>/game).
build_folder() { cd "$(dirname "$E2E_SOURCE")" && pwd; }

# Lists every file under a folder with its size, time and mode, to tell
# afterwards whether anything there was written.
tree_state() { find "$1" -printf '%p %s %T@ %m %l\n' | LC_ALL=C sort; }

# Starts a program file from another folder; its output goes to $E2E_DIR/*.log.
start_program() {
    local program=$1
    shift
    (cd "$E2E_ROOT" && exec "$@" "$program") >"$E2E_DIR/stdout.log" 2>"$E2E_DIR/stderr.log" &
    GAME_PID=$!
}

# Starts the program, waits for the title, checks the window's class and
# icon, closes it with Esc and expects exit code 0.
play_to_title_and_close() {
    local program=$1
    shift
    local mask=$E2E_ROOT/title-mask.png
    [[ -f "$mask" ]] || make_title_mask "$mask"
    start_program "$program" "$@"
    WINDOW=$(wait_window)
    title_shown() { screen_shows "$WINDOW" shows_title "$mask"; }
    wait_until 10 "the title did not appear" title_shown
    check_window_identity "$WINDOW"
    press_key "$WINDOW" Escape
    wait_exit "$GAME_PID" 10
    GAME_PID=
    [[ "$EXIT_CODE" == 0 ]] || e2e_fail "$program ended with exit code $EXIT_CODE"
}

# Checks the window's class (the desktop file's name) and its icon, as X11
# docks read them.
check_window_identity() {
    local window=$1
    xprop -id "$window" WM_CLASS | grep -q '= "tessary", "tessary"$' ||
        e2e_fail "window class: $(xprop -id "$window" WM_CLASS)"
    local icon
    icon=$(xprop -id "$window" _NET_WM_ICON)
    grep -q 'Icon (64 x 64)' <<<"$icon" || e2e_fail "no 64 x 64 window icon"
}

# Runs the installed program twice as one player whose files are in
# PLAYER_FOLDER: the first run makes the folder (private) and Game.ini there,
# the second reads it back (a ranking score put into the file survives its
# rewrite). Nothing under the given shared root changes.
check_installed_runs() {
    local program=$1 shared_root=$2
    local before
    before=$(tree_state "$shared_root")
    play_to_title_and_close "$program"
    local ini=$PLAYER_FOLDER/Game.ini
    [[ -f "$ini" && $(stat -c %s "$ini") == 512 ]] || e2e_fail "no 512-byte Game.ini in $PLAYER_FOLDER"
    [[ $(stat -c %a "$PLAYER_FOLDER") == 700 ]] ||
        e2e_fail "$PLAYER_FOLDER has mode $(stat -c %a "$PLAYER_FOLDER")"
    [[ "$(tree_state "$shared_root")" == "$before" ]] ||
        e2e_fail "the program wrote under $shared_root: $(diff <(echo "$before") <(tree_state "$shared_root"))"

    put_int32 "$ini" 36 123456
    play_to_title_and_close "$program"
    [[ $(read_int32 "$ini" 36) == 123456 ]] || e2e_fail "the second run did not read Game.ini back"
    [[ "$(tree_state "$shared_root")" == "$before" ]] || e2e_fail "the second run wrote under $shared_root"
}
