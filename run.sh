#!/usr/bin/env bash
# Sets up what is missing, builds the editor and opens it: ./run.sh [FILE]
set -euo pipefail
cd "$(dirname "$0")"
scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTOLVANET_TESTS=OFF >/dev/null
cmake --build build
exec build/bin/tolvanet "$@"
