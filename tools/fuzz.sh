#!/usr/bin/env bash
# Builds the fuzz targets of tests/fuzz with AddressSanitizer and UndefinedBehaviorSanitizer, in
# a build folder of their own, and runs each from its committed seeds (and dictionary) for a
# while, mutating them.
#
#   tools/fuzz.sh [-t SECONDS] [-j JOBS] [NAME...]
#
# SECONDS: how long each target mutates its inputs after running its seeds (default 60; 0 runs
# the seeds only). JOBS: parallel compile jobs (default 2). NAME: folders of tests/fuzz
# (default: every one). FUZZ_ENGINE=libfuzzer builds with Clang's libFuzzer instead of the
# driver of tests/fuzz/FuzzMain.cpp. FUZZ_BUILD names the build folder (default build-fuzz).
#
# An input that crashes, trips a sanitizer or runs past the per-input time limit (FUZZ_TIMEOUT,
# default 20 s) is written to <build folder>/findings/<NAME>/, and so is one slower than
# FUZZ_SLOW seconds (default 2; it is reported, not a failure). Replay one with
#   <build folder>/fuzz/fuzz_<NAME> FILE
# The exit status is non-zero when any target crashed or hung.
set -uo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
seconds=60
jobs=2
while getopts "t:j:h" opt; do
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
slow="${FUZZ_SLOW:-2}"
sanitizers="-fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer"
compilers=()
if [ "$engine" = libfuzzer ]; then
  compilers=(-DCMAKE_CXX_COMPILER=clang++ -DCMAKE_C_COMPILER=clang)
  sanitizers="$sanitizers -fsanitize=fuzzer-no-link"
fi

if [ $# -eq 0 ]; then
  names=()
  for dir in "$root"/tests/fuzz/*/; do
    [ -d "$dir/seeds" ] && names+=("$(basename "$dir")")
  done
else
  names=("$@")
  for name in "${names[@]}"; do
    [ -d "$root/tests/fuzz/$name/seeds" ] || { echo "no fuzz target '$name' in tests/fuzz" >&2; exit 2; }
  done
fi

cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "${compilers[@]}" \
  -DCORVALLEN_TESTS=OFF -DCORVALLEN_BENCHMARKS=OFF -DCORVALLEN_FUZZ=ON -DCORVALLEN_FUZZ_ENGINE="$engine" \
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
  dir="$root/tests/fuzz/$name"
  findings="$build/findings/$name"
  mkdir -p "$findings"
  seeds="$dir/seeds"
  # libFuzzer's -max_total_time=0 means no limit: the seeds alone are -runs=0 for both engines.
  if [ "$seconds" = 0 ]; then length=(-runs=0); else length=("-max_total_time=$seconds"); fi
  args=("${length[@]}" "-timeout=$timeout" "-report_slow_units=$slow" "-artifact_prefix=$findings/")
  [ -f "$dir/dict" ] && args+=("-dict=$dir/dict")
  if [ "$engine" = libfuzzer ]; then
    args+=(-print_final_stats=1)
    # libFuzzer grows its corpus in the first folder: a scratch copy keeps the seeds as committed.
    mkdir -p "$findings/corpus"
    cp -n "$seeds"/* "$findings/corpus/" 2>/dev/null
    seeds="$findings/corpus"
  fi
  echo "== $name"
  if ! "$build/fuzz/fuzz_$name" "${args[@]}" "$seeds"; then
    echo "== $name: FOUND A FAULT, see $findings" >&2
    status=1
  elif compgen -G "$findings/slow-unit-*" >/dev/null; then
    echo "== $name: slow inputs kept in $findings" >&2
  fi
done
exit $status
