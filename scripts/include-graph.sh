#!/usr/bin/env bash
# include-graph.sh [REVISION] [--streams-in-formats]: the includes between the
# layers (folders of the program, tests and benchmarks left out) at REVISION
# (default: the work tree), as "from -> to" with a count, then a cycle check.
# --streams-in-formats counts formats/streams as formats, as one library was.
set -euo pipefail
cd "$(dirname "$0")/.."
rev=""; merge=0
for arg in "$@"; do
    case $arg in
        --streams-in-formats) merge=1 ;;
        *) rev=$arg ;;
    esac
done
edges=$(git grep -n '^#include "' ${rev:+"$rev"} -- '*.cpp' '*.h' ':!tests' ':!bench' |
    sed -e "s|^${rev:+$rev:}||" -e 's|^\([^:]*\):[0-9]*:#include "\([^"]*\)".*|\1 \2|' |
    awk -v merge=$merge '
    function layer(p) {
        n = split("codecs/include codecs platform/audio platform/image platform/window platform formats/streams Libs/ToniloLib/Src formats scheduler skin app/entry phone app tools ui", L, " ")
        for (i = 1; i <= n; i++) if (index(p, L[i] "/") == 1) {
            if (merge && L[i] == "formats/streams") return "formats"
            return L[i]
        }
        return ""
    }
    { f = layer($1); t = layer($2); if (f != "" && t != "" && f != t) print f " -> " t }' |
    sort | uniq -c)
echo "$edges"
if echo "$edges" | awk '{print $2, $4}' | tsort >/dev/null 2>/tmp/include-graph.$$; then
    echo "no cycle; layers bottom to top:"
    echo "$edges" | awk '{print $4, $2}' | tsort | tr '\n' ' '; echo
else
    echo "CYCLE:"; cat /tmp/include-graph.$$
fi
rm -f /tmp/include-graph.$$
