#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Joining split parts: three parts of 340 MB joined by the joiner (with the
# log, both bars and the pumping, against views that do nothing), side by
# side with a plain copy of the same parts in the joiner's block size
# (dd bs=35536) and with cat, on the same data from the page cache. The
# joiner flushes its output to the disk before it gives it its name, so it
# is also set beside cat flushing its output at the end (sync --data). Then
# the joiner deleting the parts as "Автоудаление" does, once the output is
# in place.
# The three take turns within each round, in a rotating order, so that load
# from elsewhere falls on all of them alike; each one's best round counts.
# Before every timed run the previous output is removed and dirty pages are
# flushed, so each run starts from the same state.
#   bench/join_bench.sh [BUILD_DIR] [ROUNDS]
# Needs about 2.4 GB in $TMPDIR (default /tmp); removes its data at the end.
set -euo pipefail
source "$(dirname "$0")/best_of_rounds.sh"
build=$(cd "${1:-$(dirname "$0")/../build}" && pwd)
rounds=${2:-7}
part_size=340000000
block=35536
probe=$build/bin/join_probe
[ -x "$probe" ] || { echo "missing $probe: build the tree first" >&2; exit 1; }

data=$(mktemp -d "${TMPDIR:-/tmp}/vexo-join-bench.XXXXXX")
trap 'rm -rf "$data"' EXIT
# The parts live in a stash; the joined folder holds hard links to them, so
# that a join that deletes its parts costs no copy to set up again.
mkdir "$data/stash"
a=$data/stash/bench.bin.aa b=$data/stash/bench.bin.ab c=$data/stash/bench.bin.ac
for part in "$a" "$b" "$c"; do
    head -c "$part_size" /dev/urandom > "$part"
    ln -f "$part" "$data/"
done
cat "$a" "$b" "$c" > /dev/null # into the page cache
out=$data/bench.bin # the joiner's output name; the copies go there too
link_parts() { ln -f "$a" "$b" "$c" "$data/"; }

run_joiner() { link_parts; "$probe" "$data" 100; }
run_deleting() { link_parts; "$probe" "$data" 100 --delete; }
run_cat_flushed() { cat "$a" "$b" "$c" > "$out" && sync --data "$out"; }
run_dd() {
    dd if="$a" of="$out" bs=$block status=none
    dd if="$b" of="$out" bs=$block oflag=append conv=notrunc status=none
    dd if="$c" of="$out" bs=$block oflag=append conv=notrunc status=none
}
run_cat() { cat "$a" "$b" "$c" > "$out"; }

joined_in_order() { cmp -s "$out" <(cat "$a" "$b" "$c"); }
best_of_rounds "$rounds" "$out" joined_in_order joiner dd cat deleting cat_flushed

awk -v bytes=$((3 * part_size)) -v rounds="$rounds" \
    -v jw="${best_wall[joiner]}" -v dw="${best_wall[dd]}" -v cw="${best_wall[cat]}" \
    -v jc="${best_cpu[joiner]}" -v dc="${best_cpu[dd]}" -v cc="${best_cpu[cat]}" \
    -v xw="${best_wall[deleting]}" -v fw="${best_wall[cat_flushed]}" 'BEGIN {
    printf "3 parts of %d MB from the page cache, best of %d rounds each (wall time; CPU time = user + system)\n", bytes / 3e6, rounds
    printf "joiner:       %6.3f s  %5.0f MB/s   CPU %6.3f s\n", jw, bytes / jw / 1e6, jc
    printf "dd bs=35536:  %6.3f s  %5.0f MB/s   CPU %6.3f s\n", dw, bytes / dw / 1e6, dc
    printf "cat:          %6.3f s  %5.0f MB/s   CPU %6.3f s\n", cw, bytes / cw / 1e6, cc
    printf "joiner / dd throughput:  %.2f; by CPU time %.2f\n", dw / jw, dc / jc
    printf "joiner / cat throughput: %.2f; by CPU time %.2f\n", cw / jw, cc / jc
    printf "joiner deleting the parts:    %6.3f s  %5.0f MB/s\n", xw, bytes / xw / 1e6
    printf "cat, then sync --data:        %6.3f s  %5.0f MB/s\n", fw, bytes / fw / 1e6
    printf "joiner / flushing cat throughput: %.2f (goal: at least 0.95)\n", fw / jw
    printf "deleting joiner / flushing cat throughput: %.2f\n", fw / xw
}'
