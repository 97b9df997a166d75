#!/usr/bin/env bash
# Sets up what is missing, builds with AddressSanitizer and UndefinedBehaviorSanitizer
# and runs the whole test suite and the fuzzers: ./test.sh
# Arguments go to ctest and leave the fuzzers out: ./test.sh -R speech
# The tests labelled session-locale run again in a Catalan and a Spanish session (decimal
# comma); TOLVANET_SESSIONS names other sessions, or none: TOLVANET_SESSIONS= ./test.sh
# TOLVANET_BUILD_TYPE=RelWithDebInfo tests the build users run (run.sh's, the package's),
# without sanitizers, in build-release.
set -euo pipefail
cd "$(dirname "$0")"
scripts/install-deps.sh --tests
. scripts/compiler-cache.sh
# Each folder includes only the layers below it.
scripts/check-layers.sh
# Tests that talk to the desktop need a session bus of their own.
if [ -z "${DBUS_SESSION_BUS_ADDRESS:-}" ] && [ -z "${TOLVANET_IN_DBUS:-}" ]; then
  exec env TOLVANET_IN_DBUS=1 dbus-run-session -- "$0" "$@"
fi
# Windows are drawn off screen; CI's Wayland pass sets TOLVANET_QT_PLATFORM=wayland, with
# WAYLAND_DISPLAY naming its compositor's socket by its whole path.
export QT_QPA_PLATFORM="${TOLVANET_QT_PLATFORM:-offscreen}"
# Speech is heard through a sound server of the test run's own, in a runtime folder of
# its own, so it never touches the user's sound: a null sink stands in for the
# speakers and the tests record its monitor. The speech service the tests start finds
# it there too. TOLVANET_SOUND_SERVER=pipewire runs the suite on PipeWire instead.
export XDG_RUNTIME_DIR="$(mktemp -d /tmp/tolvanet-test-XXXXXX)"
unset PULSE_SERVER PULSE_SINK SPEECHD_ADDRESS
stop_sound() {
  scripts/sound-server.sh stop 2>/dev/null || true
  pid_file="$XDG_RUNTIME_DIR/speech-dispatcher/pid/speech-dispatcher.pid"
  [ -f "$pid_file" ] && kill "$(cat "$pid_file")" 2>/dev/null || true
  rm -rf "$XDG_RUNTIME_DIR"
}
trap stop_sound EXIT
scripts/sound-server.sh start "${TOLVANET_SOUND_SERVER:-pulseaudio}"
build_type="${TOLVANET_BUILD_TYPE:-Debug}"
if [ "$build_type" = Debug ]; then
  build=build-test
  options=(-DCMAKE_BUILD_TYPE=Debug -DTOLVANET_SANITIZE=ON)
else
  build=build-release
  options=(-DCMAKE_BUILD_TYPE="$build_type" -DTOLVANET_SANITIZE=OFF)
fi
cmake -S . -B "$build" -G Ninja "${options[@]}" -DTOLVANET_BENCHMARKS=OFF >/dev/null
cmake --build "$build"
# libspeechd looks through its voice list with strstr, which the sanitizer makes
# quadratic: espeak-ng's thousands of voices would take minutes.
export ASAN_OPTIONS=detect_leaks=0:intercept_strstr=0
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
status=0
ctest --test-dir "$build" --output-on-failure -j2 "$@" || status=$?
# Our users' sessions write their numbers with a comma: speech, export, reading and the
# tool must work there as in the C locale.
for session in ${TOLVANET_SESSIONS-ca_ES.UTF-8 es_ES.UTF-8}; do
  echo "Tests in the session $session"
  env -u LC_ALL -u LC_NUMERIC -u LANGUAGE LANG="$session" \
    ctest --test-dir "$build" --output-on-failure -j2 -L session-locale "$@" || status=$?
done
[ "$status" -eq 0 ] || exit "$status"
[ $# -gt 0 ] || [ "$build_type" != Debug ] || scripts/run-fuzzers.sh
