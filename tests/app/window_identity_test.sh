#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The program's window as an X11 dock or task bar sees it: its class names
# the desktop entry, which says so too, its title is its caption alone, and
# its icon comes in every size.
#   window_identity_test.sh PROGRAM DESKTOP_FILE
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/../support/skip_or_fail.sh"
program=$1
desktop=$2
[ -n "${DISPLAY:-}" ] || skip_or_fail "needs an X display (run under xvfb-run)"
for need in xprop:x11-utils xdotool:xdotool; do
    tool=${need%%:*} package=${need#*:}
    command -v "$tool" >/dev/null || skip_or_fail "needs $tool (apt-get install $package)"
done
work=$(mktemp -d)
pid=
cleanup() {
    if [ -n "$pid" ]; then
        kill "$pid" 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
    fi
    rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAILED: $*" >&2; exit 1; }

# A copy of its own, so that it keeps its settings beside it and hands over to no running copy.
cp "$program" "$work/vexorama"
mkdir -m 700 "$work/runtime"
QT_QPA_PLATFORM=xcb XDG_RUNTIME_DIR="$work/runtime" "$work/vexorama" >"$work/program.log" 2>&1 &
pid=$!
window=$(timeout 30 xdotool search --sync --onlyvisible --pid "$pid" --name '^Vexorama' | head -n 1) ||
    { cat "$work/program.log"; fail "no window appeared"; }

# Guards: a window whose class is not the one the desktop entry names, so that docks show it apart
# from its launcher.
grep -q "^StartupWMClass=" "$desktop" || fail "$desktop names no StartupWMClass"
wanted=$(sed -n 's/^StartupWMClass=//p' "$desktop")
class=$(xprop -id "$window" WM_CLASS)
[[ $class == *", \"$wanted\"" ]] || fail "class $class, the desktop entry says $wanted"

# Guards: the application's name appended to the window's title (" — Vexorama").
title=$(xprop -id "$window" _NET_WM_NAME)
[[ $title == *'"Vexorama '[0-9]*'"' && $title != *" — "* ]] || fail "unexpected title: $title"

# Guards: a window icon offered only up to 48 px, which docks and switchers blow up blurred.
icons=$(xprop -len 16777216 -id "$window" _NET_WM_ICON | grep -o 'Icon ([0-9]* x [0-9]*)' | tr '\n' ' ')
for size in 16 24 32 48 96 128 256; do
    [[ $icons == *"Icon ($size x $size)"* ]] || fail "no ${size} px icon among: $icons"
done
echo "window class $class, icons: $icons"
