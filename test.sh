#!/usr/bin/env bash
# Sets up what is missing, builds with AddressSanitizer and UndefinedBehaviorSanitizer
# and runs the whole test suite: ./test.sh
set -euo pipefail
cd "$(dirname "$0")"
scripts/install-deps.sh
# Tests that talk to the desktop need a session bus of their own.
if [ -z "${DBUS_SESSION_BUS_ADDRESS:-}" ] && [ -z "${TOLVANET_IN_DBUS:-}" ]; then
  exec env TOLVANET_IN_DBUS=1 dbus-run-session -- "$0" "$@"
fi
export QT_QPA_PLATFORM=offscreen
cmake -S . -B build-test -G Ninja -DCMAKE_BUILD_TYPE=Debug -DTOLVANET_SANITIZE=ON -DTOLVANET_BENCHMARKS=OFF >/dev/null
cmake --build build-test
export ASAN_OPTIONS=detect_leaks=0
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
ctest --test-dir build-test --output-on-failure -j2
scripts/run-fuzzers.sh
