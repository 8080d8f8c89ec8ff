#!/usr/bin/env bash
# One entry point for the README's two commands:
#   run.sh [demo] installs what is needed, builds the release programs and opens the studio on the
#                 default male project; with no display it says so and runs the headless demo job
#   run.sh test   installs what is needed and runs the whole suite in release and under the sanitizers
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
bash scripts/setup.sh

build() {
    cmake --preset "$1" >/dev/null
    cmake --build --preset "$1" -j "$(nproc)"
}

case "${1:-demo}" in
demo)
    build release
    if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
        exec ./build/release/bin/chattermask
    fi
    echo "run.sh: no display (DISPLAY is not set), so the studio cannot open; running the headless demo instead" >&2
    ./build/release/bin/chattermask-cli demo "${2:-demo-output}"
    ;;
test)
    build release
    ctest --preset release
    bash scripts/check-graph.sh build/release
    build asan
    ctest --preset asan
    ;;
*)
    echo "usage: scripts/run.sh [demo [OUTDIR]] | test" >&2
    exit 2
    ;;
esac
