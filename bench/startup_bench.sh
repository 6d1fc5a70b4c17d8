#!/usr/bin/env bash
# Start-up cost: Vexorama's main window from process start to its first
# idle event-loop turn, against a bare Qt Widgets window with five tabs,
# timed side by side by hyperfine. Also counts instructions of one run of
# each under callgrind, which other load on the machine does not disturb.
#   bench/startup_bench.sh [BUILD_DIR] [RUNS]
# Without a display it runs on the offscreen platform.
set -euo pipefail
build=$(cd "${1:-$(dirname "$0")/../build}" && pwd)
runs=${2:-50}
[ -n "${DISPLAY:-}" ] || export QT_QPA_PLATFORM=offscreen
command -v hyperfine >/dev/null || { echo "hyperfine is needed: apt-get install hyperfine" >&2; exit 1; }

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

export_json=$(mktemp)
trap 'rm -f "$export_json"' EXIT
hyperfine -N --warmup 5 --runs "$runs" --export-json "$export_json" "$probe" "$bare" >/dev/null 2>&1
read -r probe_ms bare_ms < <(awk '/"median"/ { gsub(/[,]/, "", $2); m[++n] = $2 * 1000 } END { print m[1], m[2] }' "$export_json")
echo "platform: ${QT_QPA_PLATFORM:-xcb}, $runs runs each"
printf 'vexorama main window: median %.1f ms\n' "$probe_ms"
printf 'bare Qt window:       median %.1f ms\n' "$bare_ms"
awk -v a="$probe_ms" -v b="$bare_ms" 'BEGIN { printf "time ratio: %.2f (goal: at most 1.30)\n", a / b }'

if command -v valgrind >/dev/null; then
    instructions() {
        valgrind --tool=callgrind --callgrind-out-file=/dev/null "$1" 2>&1 | awk '/Collected/ { print $4 }'
    }
    probe_ir=$(instructions "$probe")
    bare_ir=$(instructions "$bare")
    echo "instructions: vexorama $probe_ir, bare $bare_ir"
    awk -v a="$probe_ir" -v b="$bare_ir" 'BEGIN { printf "instruction ratio: %.2f\n", a / b }'
fi
