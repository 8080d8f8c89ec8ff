#!/usr/bin/env bash
# Repaints the resource library's pictures (toolbar strips, hot images, splash, icon) into
# resources/pictures with tools/iconpaint; PREVIEW=1 also writes enlarged copies into build/pictures.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
cmake --preset release >/dev/null
cmake --build --preset release --target iconpaint
mkdir -p resources/pictures
QT_QPA_PLATFORM=offscreen build/release/bin/iconpaint resources/pictures
if [ "${PREVIEW:-0}" = 1 ]; then
    mkdir -p build/pictures
    QT_QPA_PLATFORM=offscreen build/release/bin/iconpaint build/pictures --preview
fi
