#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# How long the window goes without a pump while the server check or a
# download waits on a peer that misbehaves: a listing that trickles, a
# listing that stops, a body that stalls, a connect that hangs (a loopback
# listener with a full accept queue), https spoken to a plain-HTTP port; and
# a download at full speed, to the disk and into a folder whose flushes
# take 2 s (a FUSE folder, bench/slow_sync_folder, passing through to a
# folder in $TMPDIR; skipped, saying why, where FUSE cannot be mounted).
# Each row runs one task through the task runner
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
slow_mount=
slow_folders=()
cleanup() {
    if [ -n "$slow_mount" ]; then fusermount3 -u "$slow_mount" 2> /dev/null || umount "$slow_mount" 2> /dev/null || true; fi
    for pid in "${peers[@]}"; do kill "$pid" 2> /dev/null || true; done
    for folder in "${slow_folders[@]}"; do rm -rf "$folder"; done
}
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

# mount_slow_folder: mounts a folder whose flushes wait 2 s at slow_mount,
# or leaves in slow_why why it cannot.
mount_slow_folder() {
    local helper=$build/bin/slow_sync_folder backing mountpoint
    [ -x "$helper" ] || { slow_why="slow_sync_folder not built (libfuse3-dev missing when configured)"; return 1; }
    [ -e /dev/fuse ] || { slow_why="no /dev/fuse (FUSE module not loaded)"; return 1; }
    if [ "$(id -u)" != 0 ] && ! command -v fusermount3 > /dev/null; then
        slow_why="not root and no fusermount3 (Debian package fuse3)"
        return 1
    fi
    backing=$(mktemp -d "${TMPDIR:-/tmp}/vexo-slow-backing.XXXXXX")
    mountpoint=$(mktemp -d "${TMPDIR:-/tmp}/vexo-slow.XXXXXX")
    slow_folders+=("$backing" "$mountpoint")
    "$helper" "$backing" "$mountpoint" 2000 > /dev/null 2>&1 &
    peers+=($!)
    for _ in $(seq 50); do
        if grep -qs " $mountpoint fuse" /proc/self/mounts; then
            slow_mount=$mountpoint
            return 0
        fi
        sleep 0.1
    done
    slow_why="the FUSE mount did not come up in 5 s (no permission for /dev/fuse or mount here)"
    return 1
}
slow_title="fetch: 256 MiB, flush waits 2 s (FUSE)"
slow_why=
if mount_slow_folder; then
    row "$slow_title" "none" fetch "$(web http fast)" into="$slow_mount"
else
    printf '%-44s skipped: %s\n' "$slow_title" "$slow_why"
fi
row "check: window closed 1 s into a stop" "line 30 s (not reached)" \
    check "${port[silent]}" close=1000
row "fetch: window closed 1 s into a stall" "stall 60 s (not reached)" \
    fetch "$(web http stall)" close=1000
