#!/usr/bin/env bash
# Start-up cost: Vexorama's main window from process start to its first
# idle event-loop turn, against a bare Qt Widgets window with five tabs,
# run alternately the same number of times. Prints medians and the ratio.
#   bench/startup_bench.sh [BUILD_DIR] [RUNS]
# Without a display it runs on the offscreen platform.
set -euo pipefail
build=${1:-$(dirname "$0")/../build}
runs=${2:-40}
[ -n "${DISPLAY:-}" ] || export QT_QPA_PLATFORM=offscreen

probe=$build/bin/startup_probe
bare=$build/bin/bare_window
for program in "$probe" "$bare"; do
    [ -x "$program" ] || { echo "missing $program: build the tree first" >&2; exit 1; }
done

# Milliseconds of one run of the given program.
elapsed_ms() {
    local start end
    start=$(date +%s%N)
    "$1" >/dev/null 2>&1
    end=$(date +%s%N)
    echo $(( (end - start) / 1000 ))
}

median() {
    sort -n | awk '{ v[NR] = $1 } END { if (NR % 2) print v[(NR + 1) / 2]; else print (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}

# One warm-up run each, so both read their libraries from the page cache.
elapsed_ms "$probe" >/dev/null
elapsed_ms "$bare" >/dev/null

probe_times=()
bare_times=()
for ((i = 0; i < runs; i++)); do
    probe_times+=("$(elapsed_ms "$probe")")
    bare_times+=("$(elapsed_ms "$bare")")
done

probe_median=$(printf '%s\n' "${probe_times[@]}" | median)
bare_median=$(printf '%s\n' "${bare_times[@]}" | median)
echo "platform: ${QT_QPA_PLATFORM:-xcb}, runs: $runs each"
echo "vexorama main window: median $(awk -v t="$probe_median" 'BEGIN { printf "%.1f", t / 1000 }') ms"
echo "bare Qt window:       median $(awk -v t="$bare_median" 'BEGIN { printf "%.1f", t / 1000 }') ms"
echo "ratio: $(awk -v a="$probe_median" -v b="$bare_median" 'BEGIN { printf "%.2f", a / b }') (goal: at most 1.30)"
# Qt WebEngine must not be among the libraries the program loads at start.
if ldd "$build/bin/vexorama" | grep -qi webengine; then
    echo "vexorama links Qt WebEngine" >&2
    exit 1
fi
