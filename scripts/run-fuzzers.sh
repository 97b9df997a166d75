#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each one.
#   scripts/run-fuzzers.sh                 a short run of each (what test.sh and the CI run)
#   scripts/run-fuzzers.sh --long [SECS]   each target for SECS seconds (600 unless given, or
#                                          TOLVANET_FUZZ_SECONDS), keeping what it finds new
#                                          in its corpus under fuzz/corpus/
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=""
if [ "${1:-}" = "--long" ]; then
  seconds="${2:-${TOLVANET_FUZZ_SECONDS:-600}}"
  case "$seconds" in
    ''|*[!0-9]*) echo "run-fuzzers.sh: --long takes a number of seconds, not '$seconds'" >&2; exit 2 ;;
  esac
elif [ -n "${1:-}" ]; then
  echo "usage: scripts/run-fuzzers.sh [--long [SECONDS]]" >&2
  exit 2
fi
if ! ls fuzz/fuzz_*.cpp >/dev/null 2>&1; then
  echo "no fuzz targets"
  exit 0
fi
. scripts/compiler-cache.sh
CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTOLVANET_FUZZ=ON >/dev/null
cmake --build build-fuzz
export ASAN_OPTIONS=detect_leaks=0
for target in build-fuzz/bin/fuzz_*; do
  name=$(basename "$target")
  corpus="fuzz/corpus/${name#fuzz_}"
  mkdir -p "$corpus"
  echo "fuzzing $name"
  if [ -n "$seconds" ]; then
    # New inputs go into the kept corpus, so that the next long run starts where this one ended.
    "$target" -max_total_time="$seconds" -max_len=4096 -timeout=10 -print_final_stats=1 "$corpus" 2>&1 | tail -12
  else
    work=$(mktemp -d)
    "$target" -runs=20000 -max_len=4096 -timeout=10 "$work" "$corpus" 2>&1 | tail -3
    rm -rf "$work"
  fi
done
