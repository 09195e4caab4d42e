#!/usr/bin/env bash
# One entry point for a fresh Debian 12 machine:
#   tools/corvallen.sh run    install what is missing, build, start the application
#   tools/corvallen.sh test   install what is missing, build, run the whole test suite
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
cd "$here"
mode="${1:-run}"
bash tools/install-deps.sh

build="${CORVALLEN_BUILD_DIR:-build}"
jobs="${CORVALLEN_JOBS:-$(nproc)}"
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null

case "$mode" in
  run)
    cmake --build "$build" -j "$jobs" --target corvallen
    exec "$build/corvallen"
    ;;
  test)
    cmake --build "$build" -j "$jobs"
    export QT_QPA_PLATFORM=offscreen
    ctest --test-dir "$build" --output-on-failure -j "$jobs" --timeout 300
    ;;
  *)
    echo "usage: $0 run|test" >&2
    exit 2
    ;;
esac
