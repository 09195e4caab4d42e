#!/usr/bin/env bash
# Builds the fuzz targets of tests/fuzz with AddressSanitizer and UndefinedBehaviorSanitizer, in
# a build folder of their own, and runs each from its committed seeds (and dictionary): the file
# readers' targets in tests/fuzz/<name>/ and, where it is there, the backup readers' (backup).
#
#   tools/fuzz.sh [-t SECONDS] [-j JOBS] [NAME...]
#
# SECONDS: how long each target mutates its inputs after running its seeds (default 60; 0 runs
# the seeds only). NAME: folders of tests/fuzz (default: every one). FUZZ_ENGINE=libfuzzer
# builds with Clang's libFuzzer instead of the small built-in driver. FUZZ_BUILD names the
# build folder (default build-fuzz).
#
# An input that crashes, trips a sanitizer or runs past the per-input time limit (FUZZ_TIMEOUT,
# default 20 s) is written to <build folder>/findings/<NAME>/; replay it with
#   <build folder>/fuzz/fuzz_<NAME> FILE      (the backup target: <build folder>/tests/fuzz/fuzz_backup)
# The exit status is non-zero when any target found something.
set -uo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
seconds=60
jobs=2
while getopts "t:j:" opt; do
  case "$opt" in
    t) seconds="$OPTARG" ;;
    j) jobs="$OPTARG" ;;
    *) sed -n '2,17p' "$0"; exit 2 ;;
  esac
done
shift $((OPTIND - 1))

build="${FUZZ_BUILD:-$root/build-fuzz}"
engine="${FUZZ_ENGINE:-driver}"
timeout="${FUZZ_TIMEOUT:-20}"
sanitizers="-fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer"
compilers=()
if [ "$engine" = libfuzzer ]; then
  compilers=(-DCMAKE_CXX_COMPILER=clang++)
  sanitizers="$sanitizers -fsanitize=fuzzer-no-link"
fi

if [ $# -eq 0 ]; then
  names=()
  for dir in "$root"/tests/fuzz/*/; do
    [ -d "$dir/seeds" ] && names+=("$(basename "$dir")")
  done
  # The backup readers' target keeps its seeds in tests/fuzz/seeds.
  [ -f "$root/tests/fuzz/BackupFuzz.cpp" ] && names+=(backup)
else
  names=("$@")
fi

cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "${compilers[@]}" \
  -DCORVALLEN_TESTS=ON -DCORVALLEN_BENCHMARKS=OFF -DCORVALLEN_FUZZ=ON -DCORVALLEN_FUZZ_ENGINE="$engine" \
  -DCMAKE_CXX_FLAGS="$sanitizers" -DCMAKE_EXE_LINKER_FLAGS="$sanitizers" >/dev/null || exit 1
targets=()
for name in "${names[@]}"; do targets+=("fuzz_$name"); done
cmake --build "$build" -j "$jobs" --target "${targets[@]}" || exit 1

# Qt and the font machinery keep some memory to the end on purpose: leaks are not reported.
export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=0:abort_on_error=1}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}"
export QT_QPA_PLATFORM=offscreen
status=0
for name in "${names[@]}"; do
  findings="$build/findings/$name"
  mkdir -p "$findings"
  if [ "$name" = backup ]; then
    # Built beside the tests, with a driver of its own and its own flags.
    program="$build/tests/fuzz/fuzz_backup"
    seeds="$root/tests/fuzz/seeds"
    args=("-seconds=$seconds" "-slow=$timeout")
  else
    program="$build/fuzz/fuzz_$name"
    seeds="$root/tests/fuzz/$name/seeds"
    args=("-timeout=$timeout" "-max_total_time=$seconds")
    [ -f "$root/tests/fuzz/$name/dict" ] && args+=("-dict=$root/tests/fuzz/$name/dict")
  fi
  if [ "$engine" = libfuzzer ]; then
    args=("-timeout=$timeout" "-max_total_time=$seconds" "-artifact_prefix=$findings/" "-print_final_stats=1")
    [ -f "$root/tests/fuzz/$name/dict" ] && args+=("-dict=$root/tests/fuzz/$name/dict")
    # libFuzzer grows its corpus in the first folder: a scratch copy keeps the seeds as committed.
    mkdir -p "$findings/corpus"
    cp -n "$seeds"/* "$findings/corpus/" 2>/dev/null
    seeds="$findings/corpus"
  fi
  echo "== $name"
  if ! (cd "$findings" && "$program" "${args[@]}" "$seeds"); then
    echo "== $name: FOUND A FAULT, see $findings" >&2
    status=1
  fi
done
exit $status
