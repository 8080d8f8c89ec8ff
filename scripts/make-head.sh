#!/usr/bin/env bash
# Builds the head generator and regenerates the generic head content/Models/MaleHead.cmm from it, and
# FemaleHead.cmm, the same head with the female default face's hair, which her default documents carry.
# The content test checks that the committed files are exactly what the generator writes, so run this
# after every change to tools/headgen and commit both together. Usage: make-head.sh [BUILD_DIR]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build/release}
# Configure every time: tool folders are picked up at configure time only.
if [ -f "$build/CMakeCache.txt" ]; then
    cmake -S "$root" -B "$build" >/dev/null
else
    cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
fi
cmake --build "$build" --target cm-headgen
mkdir -p "$root/content/Models"
"$build/bin/cm-headgen" "$root/content/Models/MaleHead.cmm"
"$build/bin/cm-headgen" --bob "$root/content/Models/FemaleHead.cmm"
