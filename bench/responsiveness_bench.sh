#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# How long the window goes without a pump while the server check or a
# download waits on a peer that misbehaves: a listing that trickles, a
# listing that stops, a body that stalls, a connect that hangs (a loopback
# listener with a full accept queue), https spoken to a plain-HTTP port; and
# a download at full speed. Each row runs one task through the task runner
# (responsiveness_probe) and prints the longest gap between two pumps (goal:
# under 50 ms), how long the task took, and the status text or message box
# it ended with. Time-outs that last minutes in the program are shortened
# here, and every row says which (the trickling list would end by itself
# after 26 s). All peers are on 127.0.0.1.
#   bench/responsiveness_bench.sh [BUILD_DIR]
set -euo pipefail
build=$(cd "${1:-$(dirname "$0")/../build}" && pwd)
probe=$build/bin/responsiveness_probe
peer=$build/bin/hostile_peer
for program in "$probe" "$peer"; do
    [ -x "$program" ] || { echo "missing $program: build the tree first" >&2; exit 1; }
done
export QT_QPA_PLATFORM=offscreen no_proxy='*' NO_PROXY='*'

peers=()
cleanup() { for pid in "${peers[@]}"; do kill "$pid" 2> /dev/null || true; done; }
trap cleanup EXIT

# start_peer NAME MODE [ARG]: runs a peer and leaves its port in port[NAME].
declare -A port
start_peer() {
    local name=$1
    shift
    local fifo
    fifo=$(mktemp -u "${TMPDIR:-/tmp}/vexo-peer.XXXXXX")
    mkfifo "$fifo"
    "$peer" "$@" > "$fifo" &
    peers+=($!)
    read -r "port[$name]" < "$fifo"
    rm -f "$fifo"
}
start_peer trickle trickle 2
start_peer silent silent
start_peer stall stall
start_peer plain plain
start_peer full full
start_peer fast fast $((256 * 1024 * 1024))
web() { echo "$1://127.0.0.1:${port[$2]}/probe.bin"; }

printf '%-44s %-34s %9s %8s  %s\n' "task against peer" "limit (program's -> here)" "max gap" "took" "ended / shown"
row() {
    local title=$1 limit=$2
    shift 2
    local gap took ending shown
    IFS=$'\t' read -r gap took ending shown < <("$probe" "$@")
    printf '%-44s %-34s %6s ms %5s ms  %s: %s\n' "$title" "$limit" "$gap" "$took" "$ending" "$shown"
}

row "check: list trickles, a line every 2 s" "whole check 60 s -> 10 s" \
    check "${port[trickle]}" check=10000
row "check: list stops after one entry" "line 30 s -> 3 s" \
    check "${port[silent]}" line=3000
row "check: connect hangs (accept queue full)" "connect 15 s -> 3 s" \
    check "${port[full]}" connect=3000
row "fetch: body stalls half way" "stall 60 s -> 3 s" \
    fetch "$(web http stall)" stall=3
row "fetch: connect hangs (accept queue full)" "connect 30 s -> 3 s" \
    fetch "$(web http full)" connect=3
row "fetch: https to a plain-HTTP port" "connect 30 s -> 3 s" \
    fetch "$(web https plain)" connect=3
row "fetch: 256 MiB at full speed" "none" \
    fetch "$(web http fast)"
row "check: window closed 1 s into a stop" "line 30 s (not reached)" \
    check "${port[silent]}" close=1000
row "fetch: window closed 1 s into a stall" "stall 60 s (not reached)" \
    fetch "$(web http stall)" close=1000
