#!/usr/bin/env bash
# ThreadSanitizer over the threads of speech: the synthesizer library and its festival
# and espeak-ng children, the speech engines, the sound server output and the worker
# threads. Builds only what their tests need, in build-tsan/, and runs those tests with
# a sound server and a session bus of their own, as test.sh does.
#   scripts/tsan-check.sh
set -euo pipefail
cd "$(dirname "$0")/.."
tests=(
  upctv_test_festivalchild
  speech_test_upctvlibrary
  speech_test_espeakengine
  platform_test_threadsatexit
)
if [ -z "${DBUS_SESSION_BUS_ADDRESS:-}" ] && [ -z "${TOLVANET_IN_DBUS:-}" ]; then
  exec env TOLVANET_IN_DBUS=1 dbus-run-session -- "$0" "$@"
fi
. scripts/compiler-cache.sh
started=$(date +%s)
cmake -S . -B build-tsan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DTOLVANET_SANITIZE=thread -DTOLVANET_BENCHMARKS=OFF >/dev/null
cmake --build build-tsan --target "${tests[@]}"
built=$(date +%s)
export QT_QPA_PLATFORM=offscreen
export XDG_RUNTIME_DIR="$(mktemp -d /tmp/tolvanet-tsan-XXXXXX)"
unset PULSE_SERVER PULSE_SINK SPEECHD_ADDRESS
stop_sound() {
  scripts/sound-server.sh stop 2>/dev/null || true
  rm -rf "$XDG_RUNTIME_DIR"
}
trap stop_sound EXIT
scripts/sound-server.sh start pulseaudio
# Qt and the sound and speech libraries are not built with the sanitizer: what happens
# inside them is left out (scripts/tsan.supp), everything of ours is watched.
# A child started with posix_spawn counts as a fork to the sanitizer; it runs no code of ours.
export TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1 die_after_fork=0 suppressions=$PWD/scripts/tsan.supp"
# The sanitizer's memory layout needs the program's own without randomization.
regex="^($(IFS='|'; echo "${tests[*]}"))\$"
setarch "$(uname -m)" -R ctest --test-dir build-tsan --output-on-failure -R "$regex"
echo "ThreadSanitizer pass: built in $((built - started)) s, tests in $(($(date +%s) - built)) s"
