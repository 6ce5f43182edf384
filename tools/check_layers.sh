#!/usr/bin/env bash
# Includes point down the layers: datastore < platform < tripdata < common < {trips, profile, reports} < shell
# < app/main.cpp. Fails, naming file and line, on an include from a higher layer or from a sibling window
# folder, and on a cycle of includes between the modules (a header with its source) of one folder.
# Usage: check_layers.sh [source folder]
set -euo pipefail
ROOT=${1:-$(cd "$(dirname "$0")/.." && pwd)}
cd "$ROOT"

files=$(find datastore app -type f \( -name '*.h' -o -name '*.cpp' \) | LC_ALL=C sort)
[ -n "$files" ] || { echo "layers: no sources below $ROOT"; exit 1; }

{
  echo "$files" | sed 's/^/file /'
  # shellcheck disable=SC2086
  grep -nH '^[[:space:]]*#[[:space:]]*include[[:space:]]*"' $files | sed 's/^/inc /' || true
} | awk '
function folderOf(path,   p, n) {
    n = split(path, p, "/")
    if (p[1] == "datastore") return "datastore"
    return n == 2 ? "app" : p[2]
}
function dirOf(path) { sub(/\/[^\/]*$/, "", path); return path }
function moduleOf(path) { sub(/\.[^.\/]*$/, "", path); return path }
function problem(text) { print text; ++problems }
function dfs(u,   list, n, i, v) {
    colour[u] = 1
    stack[++depth] = u
    n = split(adj[u], list, " ")
    for (i = 1; i <= n; i++) {
        v = list[i]
        if (colour[v] == 1) cycleTo(v)
        else if (colour[v] == 0) dfs(v)
    }
    depth--
    colour[u] = 2
}
function cycleTo(v,   k, text) {
    for (k = depth; k > 0 && stack[k] != v; k--) ;
    text = "include cycle in " dirOf(v) "/:"
    for (; k < depth; k++) text = text "\n  " edge[stack[k], stack[k + 1]] ": " stack[k] " includes " stack[k + 1]
    text = text "\n  " edge[stack[depth], v] ": " stack[depth] " includes " v
    problem(text)
}
BEGIN {
    rank["datastore"] = 0; rank["platform"] = 1; rank["tripdata"] = 2; rank["common"] = 3
    rank["trips"] = 4; rank["profile"] = 4; rank["reports"] = 4; rank["shell"] = 5; rank["app"] = 6
}
$1 == "file" { exists[$2] = 1; next }
$1 == "inc" {
    line = substr($0, 5)
    split(line, part, ":")
    file = part[1]; at = part[2]
    inc = line
    sub(/^[^"]*"/, "", inc); sub(/".*$/, "", inc)
    from = folderOf(file)
    if (!(from in rank)) { problem(file ":" at ": a folder outside the layers: " from); next }
    if (index(inc, "/")) {
        to = substr(inc, 1, index(inc, "/") - 1)
        if (!(to in rank) || to == "app") { problem(file ":" at ": \"" inc "\" names no layer"); next }
        target = (to == "datastore" ? "" : "app/") inc
    } else if (exists[dirOf(file) "/" inc]) {
        to = from; target = dirOf(file) "/" inc
    } else if (exists["datastore/" inc]) {
        to = "datastore"; target = "datastore/" inc
    } else {
        next # made by the build (datastore/generated)
    }
    if (rank[to] > rank[from])
        problem(file ":" at ": includes \"" inc "\" from " to "/, a higher layer than " from "/")
    else if (rank[to] == rank[from] && to != from)
        problem(file ":" at ": includes \"" inc "\" from the sibling folder " to "/")
    else if (to == from && moduleOf(target) != moduleOf(file)) {
        a = moduleOf(file); b = moduleOf(target)
        if (!((a, b) in edge)) { edge[a, b] = file ":" at; adj[a] = adj[a] " " b; modules[a] = 1; modules[b] = 1 }
    }
}
END {
    for (m in modules) if (colour[m] == 0) dfs(m)
    if (problems) { print "layers: " problems " problem(s)"; exit 1 }
    print "layers: every include points down, no include cycles"
}'
