#!/usr/bin/env bash
# Fails when a core library reaches Qt: the windows sit on top of the engine, never inside it.
set -euo pipefail
build=${1:-build/release}
dot="$build/graph/deps.dot"
mkdir -p "$build/graph"
cmake --graphviz="$dot" "$build" >/dev/null
core="Common SML SREngine G723 face animation documents audio lipsync timeline images rendering export cmrt"
status=0
for target in $core; do
    file="$dot.$target"
    [ -f "$file" ] || continue
    if grep -q 'Qt6::' "$file"; then
        echo "core target $target depends on Qt" >&2
        status=1
    fi
done
exit $status
