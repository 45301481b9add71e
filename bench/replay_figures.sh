#!/usr/bin/env bash
# Replay figures: how fast --check-replay runs the longest corpus game (median
# of several runs, wall clock and user CPU, against the game's own length),
# the replay file size per minute of play, median over the corpus, and the
# peak memory of refusing a 100 MB file of random bytes (it must be refused by
# its size, before it is read: the run fails when that takes REPLAY_REFUSAL_KB,
# 2 MB, more than refusing an empty file).
#
#   bench/replay_figures.sh [build/game/tessary] [runs]
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
program=${1:-$here/build/game/tessary}
runs=${2:-7}
corpus=$here/tests/replays

median() { sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

# Frames and size of every game, from the checker's own lines.
"$program" --check-replay "$corpus"/*.replay >/tmp/replay_figures.$$ || {
    cat /tmp/replay_figures.$$
    echo "the corpus does not check" >&2
    exit 1
}
longest= frames=0
while IFS= read -r line; do
    file=${line%%: *}
    n=$(sed -E 's/.* ([0-9]+) frames: same as recorded$/\1/' <<<"$line")
    size=$(stat -c %s "$file")
    awk -v s="$size" -v n="$n" 'BEGIN { printf "%.1f\n", s / (n / 3600) }' >>/tmp/replay_sizes.$$
    if ((n > frames)); then longest=$file frames=$n; fi
done </tmp/replay_figures.$$
per_minute=$(median </tmp/replay_sizes.$$)
rm -f /tmp/replay_figures.$$ /tmp/replay_sizes.$$

walls=() users=()
for _ in $(seq "$runs"); do
    read -r wall user < <({ /usr/bin/time -f '%e %U' "$program" --check-replay "$longest" >/dev/null; } 2>&1)
    walls+=("$wall") users+=("$user")
done
wall=$(printf '%s\n' "${walls[@]}" | median)
user=$(printf '%s\n' "${users[@]}" | median)
seconds=$(awk -v n="$frames" 'BEGIN { printf "%.1f", n / 60 }')
echo "longest game: $(basename "$longest"), $frames frames ($seconds s of play)"
echo "--check-replay, median of $runs: wall $wall s, user CPU $user s"
awk -v s="$seconds" -v w="$wall" -v u="$user" 'BEGIN {
    printf "real time x %.0f (wall), x %.0f (CPU); a ten-minute game: %.2f s wall, %.2f s CPU\n",
           s / w, s / u, 600 * w / s, 600 * u / s }'
echo "replay size per minute of play, median over $(ls "$corpus"/*.replay | wc -l) games: $per_minute bytes"

# A 100 MB file of random bytes: refused with its reason, taking no more
# memory than refusing an empty file does (the program's own libraries).
peak_of() { { /usr/bin/time -f '%x %M' "$program" --check-replay "$1" >"$1.out"; } 2>&1 | tail -n 1; }
big=$(mktemp) empty=$(mktemp)
trap 'rm -f "$big" "$big.out" "$empty" "$empty.out"' EXIT
head -c 100M /dev/urandom >"$big"
read -r _ base < <(peak_of "$empty")
read -r status peak < <(peak_of "$big")
said=$(cat "$big.out")
echo "--check-replay of a 100 MB random file: status $status, peak resident $peak KB" \
    "(an empty file: $base KB): $said"
[[ "$status" == 1 && "$said" == "$big: cannot be read: too large for a replay" ]] ||
    { echo "the 100 MB file was not refused as too large" >&2; exit 1; }
((peak - base <= ${REPLAY_REFUSAL_KB:-2048})) || { echo "refusing it took $((peak - base)) KB more" >&2; exit 1; }
