#!/bin/bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs a test program as a screen reader would find it: in a session bus of
# its own with the accessibility bus up, Qt's accessibility switched on.
# Exits 77 (skipped) without an X display or the accessibility packages.
set -u
[ -n "${DISPLAY:-}" ] || { echo "needs an X display (run under xvfb-run)"; exit 77; }
launcher=/usr/libexec/at-spi-bus-launcher
command -v dbus-run-session >/dev/null || { echo "needs dbus-run-session (apt-get install dbus-daemon)"; exit 77; }
[ -x "$launcher" ] || { echo "needs $launcher (apt-get install at-spi2-core)"; exit 77; }

exec dbus-run-session -- bash -c '
    "$0" &
    launcher=$!
    QT_QPA_PLATFORM=xcb QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 "$@"
    status=$?
    kill $launcher 2>/dev/null
    wait $launcher 2>/dev/null
    exit $status' "$launcher" "$@"
