#!/bin/bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs a test program as a Wayland client of its own weston, nested in the
# X display (so that it has a keyboard and windows are activated), with a
# runtime folder of its own. Without an X display or weston it skips
# (77), or fails under CI.
#   with_wayland.sh TEST_PROGRAM [ARGS...]
set -u
source "$(dirname "${BASH_SOURCE[0]}")/../support/skip_or_fail.sh"
[ -n "${DISPLAY:-}" ] || skip_or_fail "needs an X display to nest weston in (run under xvfb-run)"
command -v weston >/dev/null || skip_or_fail "needs weston (apt-get install weston)"
runtime=$(mktemp -d)
chmod 700 "$runtime"
weston_log=$runtime/weston.log
cleanup() {
    [ -n "${compositor:-}" ] && kill "$compositor" 2>/dev/null && wait "$compositor" 2>/dev/null
    rm -rf "$runtime"
}
trap cleanup EXIT

# weston dies with this script, even when it is killed.
XDG_RUNTIME_DIR=$runtime setpriv --pdeathsig KILL weston --backend=x11-backend.so --socket=wayland-test --idle-time=0 \
    --width=1024 --height=768 >"$weston_log" 2>&1 &
compositor=$!
for _ in $(seq 100); do
    [ -S "$runtime/wayland-test" ] && break
    sleep 0.05
done
[ -S "$runtime/wayland-test" ] || { cat "$weston_log"; skip_or_fail "weston did not come up"; }
env -u DISPLAY XDG_RUNTIME_DIR="$runtime" WAYLAND_DISPLAY=wayland-test QT_QPA_PLATFORM=wayland "$@"
