#!/bin/bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Guards a tray that comes up after a start at login never getting the icon
# (the tray on the session bus was looked for once). Run as a Wayland client
# (with_wayland.sh) of a desktop that comes late (with_desktop_bus.sh with
# VEXO_DESKTOP_BUS_DELAY): "vexorama --tray" is to register its icon once
# the tray is there.
#   late_tray_test.sh VEXORAMA
set -u
program=$1
log=${VEXO_DESKTOP_BUS_LOG:?run under with_desktop_bus.sh}
folder=$(mktemp -d)
trap 'kill "$started" 2>/dev/null; wait "$started" 2>/dev/null; rm -rf "$folder"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

cp "$program" "$folder/vexorama"
"$folder/vexorama" --tray &
started=$!
grep -q "^ready$" "$log" 2>/dev/null && fail "the desktop was up before the start: this shows nothing"
for _ in $(seq 300); do
    grep -q "^item " "$log" 2>/dev/null && break
    kill -0 "$started" 2>/dev/null || fail "the program ended"
    sleep 0.1
done
grep -q "^ready$" "$log" || fail "the desktop never came up"
grep -q "^item " "$log" || fail "the tray came up but the icon never registered with it"
echo "the icon registered with a tray that came up after the start"
