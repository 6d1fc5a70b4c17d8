#!/bin/bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs a test program as a Wayland client of its own weston, nested in the
# X display (so that it has a keyboard and windows are activated), with a
# runtime folder of its own. Exits 77 (skipped) without an X display or
# weston.
#   with_wayland.sh TEST_PROGRAM [ARGS...]
set -u
[ -n "${DISPLAY:-}" ] || { echo "needs an X display to nest weston in (run under xvfb-run)"; exit 77; }
command -v weston >/dev/null || { echo "needs weston (apt-get install weston)"; exit 77; }
runtime=$(mktemp -d)
chmod 700 "$runtime"
weston_log=$runtime/weston.log
cleanup() {
    [ -n "${compositor:-}" ] && kill "$compositor" 2>/dev/null && wait "$compositor" 2>/dev/null
    rm -rf "$runtime"
}
trap cleanup EXIT

XDG_RUNTIME_DIR=$runtime weston --backend=x11-backend.so --socket=wayland-test --idle-time=0 \
    --width=1024 --height=768 >"$weston_log" 2>&1 &
compositor=$!
for _ in $(seq 100); do
    [ -S "$runtime/wayland-test" ] && break
    sleep 0.05
done
[ -S "$runtime/wayland-test" ] || { echo "weston did not come up:"; cat "$weston_log"; exit 77; }
env -u DISPLAY XDG_RUNTIME_DIR="$runtime" WAYLAND_DISPLAY=wayland-test QT_QPA_PLATFORM=wayland "$@"
