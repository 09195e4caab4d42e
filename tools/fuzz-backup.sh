#!/usr/bin/env bash
# Builds the fuzz target of the backup readers and runs it on the committed seeds for the given
# number of seconds (default 60; 0 runs the seeds only). Inputs that crash or take too long are
# kept in the working folder (crash-input, slow-<n>). Run from the repository's root:
#   tools/fuzz-backup.sh [seconds] [more seed files or folders...]
set -euo pipefail
seconds="${1:-60}"
shift || true
[ -f build/CMakeCache.txt ] || cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo > /dev/null
cmake --build build --target fuzz_backup
seeds="$(pwd)/tests/fuzz/seeds"
mkdir -p build/fuzz-findings
cd build/fuzz-findings
exec ../tests/fuzz/fuzz_backup -seconds="$seconds" "$seeds" "$@"
