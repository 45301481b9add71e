#!/usr/bin/env bash
# Failures a player can meet. A missing or broken picture, effect, track, loop
# file or list: each message box in turn (its caption, its text and the English
# line below it on standard error, a screenshot), OK with Return, then the
# failure status 1 and no Game.ini. A read-only program folder: the settings
# cannot be saved, said at exit, status 1. No sound device: the game runs
# silently, without even reading its sound list, and ends with 0.
source "$(dirname "$0")/lib.sh"
e2e_setup "$1"
folder=$(realpath "$E2E_DIR")/data/

# The top-level window with this caption, if one is shown.
box_window() {
    local id
    id=$(xwininfo -root -tree | awk -v name="\"$1\":" '$2 == name { print $1; exit }')
    [[ -n "$id" ]] && xwininfo -id "$id" | grep -q IsViewable && echo "$id"
}

# The line standard error shows right after the k-th message line.
detail_line() {
    awk -v k="$1" '/^Tessary: (Message|Error): / { if (++n == k) { getline; print; exit } }' \
        "$E2E_DIR/stderr.log"
}

# Each box: its lines on standard error first, then the box itself; Return is OK.
answer_boxes() {
    local name=$1 k=0 box caption text detail id
    shift
    for box in "$@"; do
        k=$((k + 1))
        caption=${box%%|*} text=${box#*|} detail=${text#*|} text=${text%%|*}
        line() {
            [[ $(grep -c '^Tessary: \(Message\|Error\): ' "$E2E_DIR/stderr.log" 2>/dev/null) -ge $k ]]
        }
        wait_until 10 "$name: no message $k ($caption: $text)" line
        grep '^Tessary: \(Message\|Error\): ' "$E2E_DIR/stderr.log" | sed -n "${k}p" |
            grep -qxF "Tessary: $caption: $text" ||
            e2e_fail "$name: message $k is not \"$caption: $text\""
        [[ "$(detail_line $k)" == "Tessary: $detail" ]] ||
            e2e_fail "$name: below message $k: \"$(detail_line $k)\", not \"$detail\""
        wait_until 10 "$name: no box captioned $caption" box_window "$caption" >/dev/null
        id=$(box_window "$caption")
        screenshot "$id" "$E2E_ROOT/$name-$k.png"
        holds "$(convert "$E2E_ROOT/$name-$k.png" -format '%[fx:standard_deviation]' info:) > 0.05" ||
            e2e_fail "$name: box $k shows nothing"
        focus_window "$id"
        xdotool key Return
    done
}

# Runs the program on a changed copy of the folder and answers its boxes:
#   failing_start NAME SOUND_MODE CHANGE BOX...   (BOX is "caption|text|English line")
failing_start() {
    local name=$1 mode=$2 change=$3
    shift 3
    fresh_program_folder
    [[ "$mode" == 2 ]] && write_settings "$E2E_DIR/Game.ini" 21=2
    (cd "$E2E_DIR/data" && eval "$change")
    cp -a "$E2E_DIR" "$E2E_ROOT/before"
    # A sound device that needs no sound card, so that the sound files are read.
    start_game env ALSOFT_DRIVERS=null
    answer_boxes "$name" "$@"
    wait_exit "$GAME_PID" 10
    GAME_PID=
    [[ "$EXIT_CODE" == 1 ]] || e2e_fail "$name: exit code $EXIT_CODE"
    count=$(grep -c '^Tessary: \(Message\|Error\): ' "$E2E_DIR/stderr.log" || true)
    [[ "$count" == "$#" ]] || e2e_fail "$name: $count messages instead of $#"
    # Nothing is saved on the way out.
    diff -r --exclude='*.log' "$E2E_ROOT/before" "$E2E_DIR" >/dev/null ||
        e2e_fail "$name: the program folder changed"
    rm -rf "$E2E_ROOT/before"
    echo "$name: $# message(s), exit code 1"
}

garbage() { rm -f "$1" && head -c 3000 /dev/urandom >"$1"; }
init='Message|ゲームの初期化に失敗しました。'
not_found='ファイルが見つかりません'
# The English lines name files as the system spells them.
data=$(realpath "$E2E_DIR")/data
gone='No such file or directory'

why="could not open $data/ogg/ogg_0000.txt: $gone"
failing_start sound-list 1 'rm ogg/ogg_0000.txt' \
    "Message|${folder}ogg/ogg_0000.txt $not_found|$why" "$init|$why"
# The list ends early, inside an effect's name: what is left names a folder.
why="could not read $data/wav: Is a directory"
failing_start sound-list-short 2 'head -c 2600 wav/wav_0000.txt >short && mv short wav/wav_0000.txt' \
    "Error|Waveファイルのオープンに失敗|$why" "$init|$why"
why="could not open $data/grp/grp_0003.txt: $gone"
failing_start picture-list 1 'rm grp/grp_0003.txt' \
    "Message|${folder}grp/grp_0003.txt $not_found|$why" "Error|失敗しました。1|$why" "$init|$why"
why="could not open $data/grp/tex_0003.png: $gone"
failing_start picture 1 'rm grp/tex_0003.png' \
    "Message|${folder}grp/tex_0003.png $not_found|$why" "Error|失敗しました。4|$why" "$init|$why"
why="could not load a picture listed in $data/grp/grp_0003.txt: one is damaged or not a 512 x 512 palette PNG"
failing_start broken-picture 1 'head -c 300 grp/tex_0005.png >cut && mv cut grp/tex_0005.png' \
    "Message|${folder}grp/tex_0005.png PNGファイルが壊れているため読み込めません|could not load $data/grp/tex_0005.png: not a 512 x 512 palette PNG the game can read (libpng: Read Error)" \
    "Error|失敗しました。4|$why" "$init|$why"
why="could not open $data/wav/sfx_0011.wav: $gone"
failing_start effect 2 'rm wav/sfx_0011.wav' "Error|Waveファイルのオープンに失敗|$why" "$init|$why"
failing_start broken-effect 1 'garbage ogg/sfx_0014.ogg' \
    "$init|could not load $data/ogg/sfx_0014.ogg: not a sound effect the game can play (damaged or cut short)"
grep -q 'Input does not appear to be an Ogg bitstream.' "$E2E_DIR/stderr.log" ||
    e2e_fail "broken-effect: no Ogg error on standard error"
# An effect cut right after its headers opens, decodes nothing, and is named.
failing_start cut-effect 1 'head -c "$(grep -obUa OggS ogg/sfx_0014.ogg | sed -n 3p | cut -d: -f1)" \
    ogg/sfx_0014.ogg >cut && mv cut ogg/sfx_0014.ogg' \
    "$init|could not load $data/ogg/sfx_0014.ogg: not a sound effect the game can play (damaged or cut short)"
failing_start broken-track 2 'garbage wav/bgm_0007.wav' \
    "Error|WAVEファイルを開くのに失敗|could not load $data/wav/bgm_0007.wav: not 16-bit stereo 44.1 kHz WAVE music (damaged or cut short)" \
    "$init|could not load $data/wav/bgm_0007.wav: not music the game can play, or its loop points lie outside it"
failing_start track 1 'rm ogg/bgm_0007.ogg' "$init|could not open $data/ogg/bgm_0007.ogg: $gone"
# The terminal line gives the path as the system names it.
grep -qxF "Open Error : $(realpath "$E2E_DIR")/data/ogg/bgm_0007.ogg" "$E2E_DIR/stderr.log" ||
    e2e_fail "track: no line naming the missing track on standard error"
why="could not open $data/wav/bgm_0007.wav.sli: $gone"
failing_start loop-file 2 'rm wav/bgm_0007.wav.sli' \
    "Message|${folder}wav/bgm_0007.wav.sli $not_found|$why" "$init|$why"

mask=$E2E_ROOT/title-mask.png
make_title_mask "$mask"

# A read-only program folder is read where it lies and keeps the player's
# files in the player's data folder; with that folder read-only too, Game.ini
# cannot be written at exit, which is said, and dir.txt is left alone. (root
# writes anywhere, so root runs the program as nobody.)
fresh_program_folder
as_user=()
if [[ $(id -u) == 0 ]]; then
    as_user=(setpriv --reuid=65534 --regid=65534 --clear-groups
             env HOME="$E2E_ROOT/nobody" XDG_RUNTIME_DIR="$E2E_ROOT/nobody")
    mkdir -m 700 "$E2E_ROOT/nobody"
    chown 65534:65534 "$E2E_ROOT/nobody"
    chmod 755 "$E2E_ROOT"
fi
mkdir -m 555 "$E2E_ROOT/read-only-data"
chmod -R a-w "$E2E_DIR"
start_game "${as_user[@]}" env XDG_DATA_HOME="$E2E_ROOT/read-only-data"
window=$(wait_window)
wait_until 10 "read-only: no title" screen_shows "$window" shows_title "$mask"
press_key "$window" Escape
answer_boxes read-only \
    "Error|ini書き込みに失敗しました。|could not make the folder $E2E_ROOT/read-only-data/tessary: Permission denied"
wait_exit "$GAME_PID" 10
GAME_PID=
chmod -R u+w "$E2E_DIR"
[[ "$EXIT_CODE" == 1 ]] || e2e_fail "read-only: exit code $EXIT_CODE"
[[ ! -e "$E2E_DIR/Game.ini" && ! -e "$E2E_ROOT/read-only-data/tessary" ]] ||
    e2e_fail "read-only: Game.ini was written"
cmp "$E2E_SOURCE/dir.txt" "$E2E_DIR/dir.txt" && [[ $(stat -c %Y "$E2E_DIR/dir.txt") == 1000000000 ]] ||
    e2e_fail "read-only: dir.txt changed"
echo "read-only: the message at exit, exit code 1"

# No sound device (OpenAL finds no driver): the game runs and saves as always,
# and with sound off it does not need its sound list.
fresh_program_folder
rm "$E2E_DIR/data/ogg/ogg_0000.txt"
start_game env ALSOFT_DRIVERS=no-such-driver
window=$(wait_window)
wait_until 10 "no sound device: no title" screen_shows "$window" shows_title "$mask"
press_key "$window" Escape
wait_exit "$GAME_PID" 10
GAME_PID=
[[ "$EXIT_CODE" == 0 ]] || e2e_fail "no sound device: exit code $EXIT_CODE"
write_settings "$E2E_ROOT/fresh.ini"
cmp "$E2E_ROOT/fresh.ini" "$E2E_DIR/Game.ini" || e2e_fail "no sound device: Game.ini differs"
! grep -q '^Tessary: \(Message\|Error\)' "$E2E_DIR/stderr.log" ||
    e2e_fail "no sound device: a message was shown"
echo "no sound device: silent run, exit code 0"
echo "PASS"
