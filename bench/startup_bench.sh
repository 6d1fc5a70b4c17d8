#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Start-up cost: Vexorama's main window from process start to the first
# turn of its event loop after its first paint, against a bare Qt Widgets
# window with five tabs, for a first start and for a usual one; and, for a
# first start, to the first turn of the loop, whether or not the window was
# drawn by then (built and shown: what start-up was measured to before).
# The two run alternately, so that drifting load on the machine weighs on
# both alike; medians and their ratio are printed. One run of each is also
# counted in instructions under callgrind, which load does not disturb.
#   bench/startup_bench.sh [BUILD_DIR] [RUNS]
# Under a display (e.g. xvfb-run) the windows are real X11 windows;
# without one they run on the offscreen platform.
set -euo pipefail
build=$(cd "${1:-$(dirname "$0")/../build}" && pwd)
runs=${2:-60}
[ -n "${DISPLAY:-}" ] || export QT_QPA_PLATFORM=offscreen

probe=$build/bin/startup_probe
bare=$build/bin/bare_window
for program in "$probe" "$bare"; do
    [ -x "$program" ] || { echo "missing $program: build the tree first" >&2; exit 1; }
done

# Qt WebEngine must not be among the libraries the program loads at start.
if ldd "$build/bin/vexorama" | grep -qi webengine; then
    echo "vexorama links Qt WebEngine" >&2
    exit 1
fi

# Microseconds of one run (bash's own clock: no process of its own to time).
run_us() {
    local start=$EPOCHREALTIME
    "$@" >/dev/null 2>&1
    local end=$EPOCHREALTIME
    echo $(( (${end/./} - ${start/./}) ))
}

median() {
    sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}

# One measurement: the probe against the bare window, both ending after
# their first paint (`painted`) or at their first turn (`unpainted`); any
# further arguments go to the probe.
compare() {
    local label=$1 end=$2
    shift 2
    local bare_end=()
    if [ "$end" = unpainted ]; then
        bare_end=(--unpainted)
        set -- --unpainted "$@"
    fi
    local probe_times=() bare_times=()
    for ((i = 0; i < 5; i++)); do run_us "$probe" "$@" >/dev/null; run_us "$bare" "${bare_end[@]}" >/dev/null; done
    for ((i = 0; i < runs; i++)); do
        probe_times+=("$(run_us "$probe" "$@")")
        bare_times+=("$(run_us "$bare" "${bare_end[@]}")")
    done
    local probe_us bare_us
    probe_us=$(printf '%s\n' "${probe_times[@]}" | median)
    bare_us=$(printf '%s\n' "${bare_times[@]}" | median)
    echo "$label:"
    awk -v t="$probe_us" 'BEGIN { printf "  vexorama main window: median %.1f ms\n", t / 1000 }'
    awk -v t="$bare_us" 'BEGIN { printf "  bare Qt window:       median %.1f ms\n", t / 1000 }'
    awk -v a="$probe_us" -v b="$bare_us" 'BEGIN { printf "  time ratio: %.2f (goal: at most 1.15)\n", a / b }'
    if command -v valgrind >/dev/null; then
        local probe_ir bare_ir
        probe_ir=$(instructions "$probe" "$@")
        bare_ir=$(instructions "$bare" "${bare_end[@]}")
        echo "  instructions: vexorama $probe_ir, bare $bare_ir"
        awk -v a="$probe_ir" -v b="$bare_ir" 'BEGIN { printf "  instruction ratio: %.2f (goal: at most 1.15)\n", a / b }'
    fi
}

instructions() {
    valgrind --tool=callgrind --callgrind-out-file=/dev/null "$@" 2>&1 | awk '/Collected/ { n = $4 } END { print n }'
}

echo "platform: ${QT_QPA_PLATFORM:-xcb}, $runs alternating runs each, $(nproc) cores"
# A first start writes its settings file (flushed to the disk); a usual
# start finds it and writes nothing.
compare "first start (no settings file)" painted
compare "usual start (the settings of a first start)" painted --usual
compare "first start, to the first turn of the loop (maybe not yet drawn)" unpainted
