#!/usr/bin/env bash
# The test run's own sound server, in the runtime folder $XDG_RUNTIME_DIR, with a null
# sink "nullsink" standing in for the speakers:
#   scripts/sound-server.sh start [pulseaudio|pipewire]
#   scripts/sound-server.sh stop
#   scripts/sound-server.sh restart      (the same kind again: a server that went away)
# PipeWire is served as Debian's desktop runs it: pipewire, wireplumber and pipewire-pulse.
set -euo pipefail
: "${XDG_RUNTIME_DIR:?the sound server needs a runtime folder of its own}"
state="$XDG_RUNTIME_DIR/tolvanet-sound"

wait_for() {
  for _ in $(seq 100); do
    if "$@" >/dev/null 2>&1; then return 0; fi
    sleep 0.1
  done
  echo "sound server: gave up waiting for: $*" >&2
  return 1
}

start() {
  local kind="$1"
  mkdir -p "$state"
  echo "$kind" >"$state/kind"
  case "$kind" in
    pulseaudio)
      pulseaudio --daemonize=yes --exit-idle-time=-1 -n --log-target=stderr --log-level=error \
        --load="module-null-sink sink_name=nullsink" --load=module-native-protocol-unix
      ;;
    pipewire)
      local program
      for program in pipewire wireplumber pipewire-pulse; do
        "$program" >>"$state/$program.log" 2>&1 &
        echo $! >"$state/$program.pid"
        [ "$program" != pipewire ] || wait_for test -S "$XDG_RUNTIME_DIR/pipewire-0"
      done
      wait_for pactl info
      pactl load-module module-null-sink sink_name=nullsink >/dev/null
      ;;
    *) echo "sound server: unknown kind $kind" >&2; exit 2 ;;
  esac
  wait_for sh -c 'pactl list short sinks | grep -q nullsink'
  # The session manager makes the null sink the default a moment after it appears.
  wait_for pactl set-default-sink nullsink
  wait_for sh -c 'pactl info | grep -q "Default Sink: nullsink"'
}

stop() {
  # Without asking the server anything: a client might start a new one meanwhile.
  if [ "$(cat "$state/kind" 2>/dev/null)" = pulseaudio ]; then
    pulseaudio --kill 2>/dev/null || true
    wait_for sh -c '! pulseaudio --check'
  fi
  local program pid
  for program in pipewire-pulse wireplumber pipewire; do
    [ -f "$state/$program.pid" ] || continue
    pid="$(cat "$state/$program.pid")"
    kill "$pid" 2>/dev/null || true
    wait_for sh -c "! ps -p $pid -o stat= | grep -qv Z"
    rm -f "$state/$program.pid"
  done
}

case "${1:-}" in
  start) start "${2:-pulseaudio}" ;;
  stop) stop ;;
  restart) kind="$(cat "$state/kind")"; stop; start "$kind" ;;
  *) echo "usage: $0 start [pulseaudio|pipewire] | stop | restart" >&2; exit 2 ;;
esac
