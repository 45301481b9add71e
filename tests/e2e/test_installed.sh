#!/usr/bin/env bash
# `cmake --install` into a temporary prefix: the installed program finds its
# files from its own folder, keeps the player's Game.ini in
# ~/.local/share/tessary/ (made private on the first save) and reads it back,
# writes nothing under the prefix, and says so in --help. A portable copy run
# by the same player still keeps everything beside itself. Without its shared
# dir.txt the installed program names that file, with status 1.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/installed_lib.sh"
e2e_setup "$1"

prefix=$E2E_ROOT/usr
cmake --install "$(build_folder)" --prefix "$prefix" >"$E2E_ROOT/install.log" ||
    e2e_fail "cmake --install failed: $(tail -5 "$E2E_ROOT/install.log")"
program=$prefix/games/tessary
[[ -x "$program" ]] || e2e_fail "no program at $program"
[[ -f "$prefix/share/tessary/dir.txt" && -d "$prefix/share/tessary/data/grp" ]] ||
    e2e_fail "no shared files in $prefix/share/tessary"

export HOME=$E2E_ROOT/home
unset XDG_DATA_HOME
mkdir -p "$HOME"
PLAYER_FOLDER=$HOME/.local/share/tessary

"$program" --version | grep -qx 'Tessary [0-9.]*' || e2e_fail "--version: $("$program" --version)"
help=$("$program" --help)
grep -q "^Layout: installed" <<<"$help" || e2e_fail "--help: $help"
for path in "$prefix/share/tessary/dir.txt" "$prefix/share/tessary/data/" "$PLAYER_FOLDER/Game.ini" \
    "$XDG_RUNTIME_DIR/tessary.lock"; do
    grep -qxF -- "  $path" <<<"$help" || e2e_fail "--help does not name $path: $help"
done
[[ ! -e "$HOME/.local" ]] || e2e_fail "--help wrote into the home folder"

check_installed_runs "$program" "$prefix"

# The portable copy beside it: its files stay in its own folder.
player_ini=$(md5sum <"$PLAYER_FOLDER/Game.ini")
"$E2E_DIR/tessary" --help | grep -qF "Layout: portable" || e2e_fail "the copy is not portable"
play_to_title_and_close "$E2E_DIR/tessary"
[[ $(stat -c %s "$E2E_DIR/Game.ini" 2>/dev/null) == 512 ]] || e2e_fail "the portable copy wrote no Game.ini"
[[ $(md5sum <"$PLAYER_FOLDER/Game.ini") == "$player_ini" ]] ||
    e2e_fail "the portable copy changed the player's Game.ini"
# The installed program without its shared dir.txt (a broken package) is
# still installed, and names the missing file in a line and a box; status 1.
shared=$prefix/share/tessary/dir.txt
mv "$shared" "$shared.away"
"$program" --help | grep -q "^Layout: installed" || e2e_fail "--help without dir.txt: not installed"
start_program "$program"
missing_box() { xwininfo -root -tree | awk '$2 == "\"Message\":" { found = 1 } END { exit !found }'; }
wait_until 10 "no box for the missing dir.txt" missing_box
kill -s TERM "$GAME_PID"
wait_exit "$GAME_PID" 5
GAME_PID=
[[ "$EXIT_CODE" == 1 ]] || e2e_fail "without the shared dir.txt: exit code $EXIT_CODE"
for line in "Tessary: could not open $shared: No such file or directory" \
    "Tessary: Message: $shared ファイルが見つかりません"; do
    grep -qxF "$line" "$E2E_DIR/stderr.log" || e2e_fail "no line \"$line\""
done
echo "PASS"
