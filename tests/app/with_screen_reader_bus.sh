#!/bin/bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs a test program as a screen reader would find it: in a session bus of
# its own with the accessibility bus up, Qt's accessibility switched on.
# Without an X display or the accessibility packages it skips (77), or
# fails under CI.
set -u
source "$(dirname "${BASH_SOURCE[0]}")/../support/skip_or_fail.sh"
[ -n "${DISPLAY:-}" ] || skip_or_fail "needs an X display (run under xvfb-run)"
launcher=/usr/libexec/at-spi-bus-launcher
command -v dbus-run-session >/dev/null || skip_or_fail "needs dbus-run-session (apt-get install dbus-daemon)"
[ -x "$launcher" ] || skip_or_fail "needs $launcher (apt-get install at-spi2-core)"

exec dbus-run-session -- bash -c '
    "$0" &
    launcher=$!
    QT_QPA_PLATFORM=xcb QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 "$@"
    status=$?
    kill $launcher 2>/dev/null
    wait $launcher 2>/dev/null
    exit $status' "$launcher" "$@"
