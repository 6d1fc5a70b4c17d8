#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The unattended run: "vexorama /a FOLDER" over FILES encoded files holding
# 1 GiB of data in all (default 2) (start-up, scan, inspection, decoding with the real
# window's status text, bars, repaints and pumps, the joiner's scan, exit),
# against the same bytes copied by dd bs=35536 plus the start of a bare Qt
# window, all from the page cache and timed by hyperfine. Before every timed
# run the previous outputs are removed and the dirty pages are flushed.
#   bench/auto_run_bench.sh [BUILD_DIR] [RUNS] [FILES]
# Each file costs a fixed number of window paints (its bar moves through
# 100 per cent), so more, smaller files cost more around the same bytes.
# Without a display it runs on the offscreen platform. Needs about 3 GB in
# $TMPDIR (default /tmp); removes its data at the end.
set -euo pipefail
build=$(cd "${1:-$(dirname "$0")/../build}" && pwd)
runs=${2:-5}
[ -n "${DISPLAY:-}" ] || export QT_QPA_PLATFORM=offscreen
command -v hyperfine >/dev/null || { echo "hyperfine is needed: apt-get install hyperfine" >&2; exit 1; }
for tool in vexorama vexo-encode bare_window; do
    [ -x "$build/bin/$tool" ] || { echo "missing $build/bin/$tool: build the tree first" >&2; exit 1; }
done
files=${3:-2}
block=35536
file_size=$((1024 * 1024 * 1024 / files))

work=$(mktemp -d "${TMPDIR:-/tmp}/vexo-auto-run-bench.XXXXXX")
export_json=$(mktemp)
trap 'rm -rf "$work" "$export_json"' EXIT
data=$work/data copies=$work/copies program=$work/program/vexorama
mkdir -p "$data" "$copies" "$work/program"
# A copy of the program, so that its settings file stays in the scratch folder.
cp "$build/bin/vexorama" "$program"
dd_copy=true
for i in $(seq 1 $files); do
    head -c "$file_size" /dev/urandom > "$work/plain$i.bin"
    "$build/bin/vexo-encode" --name "plain$i.bin" "$work/plain$i.bin" "$data/encoded$i.avi" >/dev/null
    dd_copy+=" && dd if=$data/encoded$i.avi of=$copies/copy$i.bin bs=$block status=none"
done
cat "$data"/*.avi > /dev/null # into the page cache

hyperfine --warmup 1 --runs "$runs" --export-json "$export_json" \
    --prepare "rm -f $data/plain*.bin && sync" -n "vexorama /a" "$program /a $data" \
    --prepare "rm -f $copies/* && sync" -n "dd bs=$block" "$dd_copy" \
    --prepare true -n "bare Qt window" "$build/bin/bare_window" >/dev/null

for i in $(seq 1 $files); do
    cmp -s "$data/plain$i.bin" "$work/plain$i.bin" || { echo "plain$i.bin was not decoded byte for byte" >&2; exit 1; }
done

read -r run_s dd_s bare_s < <(awk '/"median"/ { gsub(/[,]/, "", $2); m[++n] = $2 } END { print m[1], m[2], m[3] }' "$export_json")
awk -v bytes=$((files * file_size)) -v files="$files" -v runs="$runs" -v r="$run_s" -v d="$dd_s" -v b="$bare_s" 'BEGIN {
    printf "%d encoded files, 1 GiB of data from the page cache, median of %d runs each\n", files, runs
    printf "vexorama /a:          %7.3f s  %6.0f MB/s\n", r, bytes / r / 1e6
    printf "dd bs=35536:          %7.3f s\n", d
    printf "bare Qt window start: %7.3f s\n", b
    printf "vexorama /a / (dd + bare window): %.2f (goal: at most 1.20)\n", r / (d + b)
}'
