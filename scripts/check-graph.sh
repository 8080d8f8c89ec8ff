#!/usr/bin/env bash
# Fails when a core library reaches Qt or a window target: the windows sit on top of the engine, never
# inside it. Window targets are named <subsystem>_ui; the studio program is `chattermask`.
set -euo pipefail
build=${1:-build/release}
dot="$build/graph/deps.dot"
mkdir -p "$build/graph"
cmake --graphviz="$dot" "$build" >/dev/null
core="Common SML SREngine SylRecogCore G723 WMA face animation documents audio lipsync timeline images
      rendering renderingGL export player session cmrt"
status=0
for target in $core; do
    file="$dot.$target"
    [ -f "$file" ] || continue
    if grep -q 'Qt6::' "$file"; then
        echo "core target $target depends on Qt" >&2
        status=1
    fi
    if grep -qE 'label = "([A-Za-z0-9]+_ui|chattermask)"' "$file"; then
        echo "core target $target depends on a window target" >&2
        status=1
    fi
done
exit $status
