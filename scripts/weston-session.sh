#!/usr/bin/env bash
# Runs a command under a Wayland compositor of its own, with a seat (keyboard and pointer):
# Weston's X11 backend on a private Xvfb. scripts/weston-session.sh COMMAND...
set -euo pipefail
runtime="$(mktemp -d /tmp/tolvanet-weston-XXXXXX)"
chmod 700 "$runtime"
display=":$((90 + RANDOM % 400))"
Xvfb "$display" -screen 0 1280x1024x24 -nolisten tcp >"$runtime/xvfb.log" 2>&1 &
xvfb=$!
weston_pid=""
stop() {
  [ -n "$weston_pid" ] && kill "$weston_pid" 2>/dev/null || true
  kill "$xvfb" 2>/dev/null || true
  rm -rf "$runtime"
}
trap stop EXIT
for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X${display#:}" ] && break; sleep 0.1; done
DISPLAY="$display" XDG_RUNTIME_DIR="$runtime" weston --backend=x11-backend.so --socket=wayland-0 \
  --width=1280 --height=1000 --idle-time=0 >"$runtime/weston.log" 2>&1 &
weston_pid=$!
for _ in $(seq 100); do [ -S "$runtime/wayland-0" ] && break; sleep 0.1; done
[ -S "$runtime/wayland-0" ] || { cat "$runtime/weston.log" >&2; exit 1; }
# The socket by its whole path: the test run keeps a runtime folder of its own.
TOLVANET_QT_PLATFORM=wayland WAYLAND_DISPLAY="$runtime/wayland-0" "$@"
