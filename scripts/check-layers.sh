#!/usr/bin/env bash
# Checks the layers of the source tree from its #include lines:
#   scripts/check-layers.sh [root]     (root: src by default)
# Lowest first: base, platform, world, then graphics, audio, input and persist,
# then play, menu and resources, then scenes, then app. A file includes
# headers of its own folder and of lower layers only: never one of a higher
# layer, nor one of another folder of its own layer (play and menu stay apart,
# resources uses neither). Only platform/ includes SDL, GL, epoxy or AL
# headers. Prints each offending include as "file:line: folder -> folder" and
# fails; prints one line when everything is in order.
set -euo pipefail

if [[ $# -eq 0 ]]; then
    cd "$(dirname "$0")/.."
    root=src
else
    root=${1%/}
fi
[[ -d "$root" ]] || { echo "check-layers: no folder $root" >&2; exit 2; }

files=()
while IFS= read -r -d '' f; do files+=("$f"); done \
    < <(find "$root" -type f \( -name '*.h' -o -name '*.cpp' \) -print0 | LC_ALL=C sort -z)
[[ ${#files[@]} -gt 0 ]] || { echo "check-layers: no .h or .cpp files under $root" >&2; exit 2; }

awk -v root="$root" '
function folder_of(path) { return index(path, "/") ? substr(path, 1, index(path, "/") - 1) : "" }
# Resolves "." and ".." in a path under the root; "" when it leaves the root.
function normalize(path,   parts, n, i, kept, m, out) {
    n = split(path, parts, "/")
    m = 0
    for (i = 1; i <= n; i++) {
        if (parts[i] == "" || parts[i] == ".") continue
        if (parts[i] == "..") { if (m == 0) return ""; m--; continue }
        kept[++m] = parts[i]
    }
    out = ""
    for (i = 1; i <= m; i++) out = out (i > 1 ? "/" : "") kept[i]
    return out
}
function exists(path,   line, r) {
    r = (getline line < path)
    if (r >= 0) close(path)
    return r >= 0
}
function offend(text) { print text > "/dev/stderr"; bad++ }
BEGIN {
    n = split("base:0 platform:1 world:2 graphics:3 audio:3 input:3 persist:3 " \
              "play:4 menu:4 resources:4 scenes:5 app:6", pairs, " ")
    for (i = 1; i <= n; i++) { split(pairs[i], kv, ":"); level[kv[1]] = kv[2] }
    prefix = root "/"
}
FNR == 1 {
    files++
    rel = substr(FILENAME, length(prefix) + 1)
    folder = folder_of(rel)
    placed = folder in level
    if (!placed)
        offend(FILENAME ": folder " (folder == "" ? "(top)" : folder) " is not in the layer order")
}
/^[ \t]*#[ \t]*include[ \t]*["<]/ {
    s = $0
    sub(/^[ \t]*#[ \t]*include[ \t]*/, "", s)
    opener = substr(s, 1, 1)
    s = substr(s, 2)
    end = index(s, opener == "<" ? ">" : "\"")
    if (end == 0) next
    target = substr(s, 1, end - 1)
    where = FILENAME ":" FNR ": " (folder == "" ? "(top)" : folder) " -> "
    if (target ~ /^(SDL|epoxy\/|GL\/|AL\/)/) {
        if (folder != "platform")
            offend(where opener target (opener == "<" ? ">" : "\"") \
                   " (only platform/ includes SDL, GL, epoxy or AL)")
        next
    }
    if (opener != "\"" || !placed) next
    includes++
    first = folder_of(target)
    if (first in level) {
        to = first
    } else {
        # A path relative to the including file, such as "Detail.h".
        dir = rel; sub(/\/?[^\/]*$/, "", dir)
        path = normalize(dir "/" target)
        if (path == "" || !exists(prefix path)) {
            offend(where "\"" target "\" (not a file under " prefix ")")
            next
        }
        to = folder_of(path)
        if (!(to in level)) {
            offend(where (to == "" ? "(top)" : to) " (folder not in the layer order)")
            next
        }
    }
    if (to == folder) next
    if (level[to] > level[folder])
        offend(where to " (higher layer)")
    else if (level[to] == level[folder])
        offend(where to " (same layer, another folder)")
}
END {
    if (bad) {
        printf "check-layers: %d problem%s under %s/\n", bad, bad == 1 ? "" : "s", root > "/dev/stderr"
        exit 1
    }
    printf "check-layers: %d files, %d includes of %s/ in layer order; " \
           "SDL, GL, epoxy and AL only in platform/\n", files, includes, root
}' "${files[@]}"
