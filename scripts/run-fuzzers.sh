#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for a bounded number of runs.
set -euo pipefail
cd "$(dirname "$0")/.."
if ! ls fuzz/fuzz_*.cpp >/dev/null 2>&1; then
  echo "no fuzz targets"
  exit 0
fi
CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTOLVANET_FUZZ=ON >/dev/null
cmake --build build-fuzz
export ASAN_OPTIONS=detect_leaks=0
for target in build-fuzz/bin/fuzz_*; do
  name=$(basename "$target")
  corpus="fuzz/corpus/${name#fuzz_}"
  mkdir -p "$corpus"
  work=$(mktemp -d)
  echo "fuzzing $name"
  "$target" -runs=20000 -max_len=4096 -timeout=10 "$work" "$corpus" 2>&1 | tail -3
  rm -rf "$work"
done
