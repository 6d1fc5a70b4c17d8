#!/bin/bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs a test program on a session bus of its own where desktop_bus_fake
# plays the desktop's tray and notification service; the test finds the
# fake's log in VEXO_DESKTOP_BUS_LOG. With VEXO_DESKTOP_BUS_DELAY=SECONDS
# the desktop comes up that long after the test program started, as a
# desktop's tray may at login. Without an X display or dbus-run-session it
# skips (77), or fails under CI.
#   with_desktop_bus.sh FAKE TEST_PROGRAM [ARGS...]
set -u
source "$(dirname "${BASH_SOURCE[0]}")/../support/skip_or_fail.sh"
[ -n "${DISPLAY:-}" ] || skip_or_fail "needs an X display (run under xvfb-run)"
command -v dbus-run-session >/dev/null || skip_or_fail "needs dbus-run-session (apt-get install dbus-daemon)"
log=$(mktemp)
trap 'rm -f "$log"' EXIT

dbus-run-session -- bash -c '
    fake=$1 log=$2
    shift 2
    if [ -n "${VEXO_DESKTOP_BUS_DELAY:-}" ]; then
        (sleep "$VEXO_DESKTOP_BUS_DELAY" && exec "$fake" "$log") &
        served=$!
    else
        "$fake" "$log" &
        served=$!
        for _ in $(seq 100); do
            grep -q "^ready$" "$log" && break
            sleep 0.05
        done
        grep -q "^ready$" "$log" || { echo "the desktop fake did not come up"; exit 1; }
    fi
    VEXO_DESKTOP_BUS_LOG=$log QT_QPA_PLATFORM=xcb "$@"
    status=$?
    kill $served 2>/dev/null
    wait $served 2>/dev/null
    exit $status' with_desktop_bus "$1" "$log" "${@:2}"
