#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Decoding one encoded file of 1 GiB of data from the page cache (inspection,
# the exclusive-or, the status text, the bar and the repaint after every
# block, against a window that does nothing), side by side with a plain copy
# of the same bytes in the decoder's block size (dd bs=35536) and with cat,
# timed by hyperfine; the decoder flushes its output to the disk before it
# puts it in place, so dd and cat are timed flushing theirs too
# (conv=fdatasync, sync --data). Before every timed run the previous output is removed
# and the dirty pages are flushed. Then the decoder's peak memory (maximum
# resident set) at two file sizes, to show that it does not grow.
#   bench/decode_bench.sh [BUILD_DIR] [RUNS]
# Needs about 4.5 GB in $TMPDIR (default /tmp); removes its data at the end.
set -euo pipefail
build=$(cd "${1:-$(dirname "$0")/../build}" && pwd)
runs=${2:-5}
size=$((1024 * 1024 * 1024))
small_size=$((64 * 1024 * 1024))
block=35536
command -v hyperfine >/dev/null || { echo "hyperfine is needed: apt-get install hyperfine" >&2; exit 1; }
[ -x /usr/bin/time ] || { echo "GNU time is needed: apt-get install time" >&2; exit 1; }
probe=$build/bin/decode_probe
encode=$build/bin/vexo-encode
for tool in "$probe" "$encode"; do
    [ -x "$tool" ] || { echo "missing $tool: build the tree first" >&2; exit 1; }
done

data=$(mktemp -d "${TMPDIR:-/tmp}/vexo-decode-bench.XXXXXX")
export_json=$(mktemp)
trap 'rm -rf "$data" "$export_json"' EXIT
plain=$data/original.bin
container=$data/encoded.avi
head -c "$size" /dev/urandom > "$plain"
"$encode" --key 90 --leading 0 --name plain.bin "$plain" "$container" >/dev/null
cat "$container" > /dev/null # into the page cache

decoded=$data/plain.bin
by_dd=$data/by-dd.bin
by_cat=$data/by-cat.bin
hyperfine --warmup 1 --runs "$runs" --export-json "$export_json" \
    --prepare "rm -f $decoded && sync" -n decoder "$probe $container" \
    --prepare "rm -f $by_dd && sync" -n "dd bs=$block" "dd if=$container of=$by_dd bs=$block status=none" \
    --prepare "rm -f $by_cat && sync" -n cat "cat $container > $by_cat" \
    --prepare "rm -f $by_dd && sync" -n "dd bs=$block conv=fdatasync" \
        "dd if=$container of=$by_dd bs=$block conv=fdatasync status=none" \
    --prepare "rm -f $by_cat && sync" -n "cat, then sync --data" "cat $container > $by_cat && sync --data $by_cat" \
    >/dev/null

cmp -s "$decoded" "$plain" || { echo "the decoded file differs from the original" >&2; exit 1; }
cmp -s "$by_dd" "$container" || { echo "dd's copy differs" >&2; exit 1; }
rm -f "$by_dd" "$by_cat"

# Peak memory of a decode of the 1 GiB file and of a 64 MiB one.
peak_kb() { rm -f "$decoded"; /usr/bin/time -f %M "$probe" "$1" 2>&1 >/dev/null | tail -1; }
big_kb=$(peak_kb "$container")
small=$data/small.avi
head -c "$small_size" "$plain" > "$data/small-plain.bin"
"$encode" --key 90 --leading 0 --name plain.bin "$data/small-plain.bin" "$small" >/dev/null
small_kb=$(peak_kb "$small")

read -r dec_s dd_s cat_s ddsync_s catsync_s < <(awk '/"median"/ { gsub(/[,]/, "", $2); m[++n] = $2 }
    END { print m[1], m[2], m[3], m[4], m[5] }' "$export_json")
# The decoder puts its output on the disk before it calls it decoded; the
# last two tools do the same, the first two leave their copy in the cache.
awk -v bytes="$size" -v runs="$runs" -v x="$dec_s" -v d="$dd_s" -v c="$cat_s" -v ds="$ddsync_s" -v cs="$catsync_s" 'BEGIN {
    printf "1 GiB of data from the page cache, median of %d runs each\n", runs
    printf "decoder (output flushed):  %7.3f s  %6.0f MB/s\n", x, bytes / x / 1e6
    printf "dd bs=35536:               %7.3f s  %6.0f MB/s\n", d, (bytes + 262) / d / 1e6
    printf "cat:                       %7.3f s  %6.0f MB/s\n", c, (bytes + 262) / c / 1e6
    printf "dd bs=35536 conv=fdatasync:%7.3f s  %6.0f MB/s\n", ds, (bytes + 262) / ds / 1e6
    printf "cat, then sync --data:     %7.3f s  %6.0f MB/s\n", cs, (bytes + 262) / cs / 1e6
    printf "decoder / dd throughput:  %.2f; against dd flushing too %.2f\n", d / x, ds / x
    printf "decoder / cat throughput: %.2f (goal: at least 0.75); against cat flushing too %.2f\n", c / x, cs / x
}'
echo "decoder peak memory: ${small_kb} KB for 64 MiB, ${big_kb} KB for 1 GiB"
