#!/usr/bin/env bash
# One entry point for the README's two commands:
#   run.sh demo   installs what is needed, builds the release programs and runs the demo job
#   run.sh test   installs what is needed and runs the whole suite in release and under the sanitizers
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
bash scripts/setup.sh

build() {
    cmake --preset "$1" >/dev/null
    cmake --build --preset "$1" -j "$(nproc)"
}

case "${1:-}" in
demo)
    build release
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
    echo "usage: scripts/run.sh demo [OUTDIR] | test" >&2
    exit 2
    ;;
esac
