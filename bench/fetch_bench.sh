#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Fetching one 256 MiB file over HTTP from a loopback server (sendfile from
# the page cache): the program's FetchToFile (libcurl's multi interface,
# 128 KiB receives, a Qt event-loop pump at most every 10 ms, the disk's
# write-back started every 16 MiB on a thread of its own and the file
# flushed to the disk before it counts as fetched), against `curl -o` and
# against `curl -o` followed by `sync --data`, from the same server, in the
# same run. They take turns within each round, in a rotating order; each
# one's best round counts.
#   bench/fetch_bench.sh [BUILD_DIR] [ROUNDS]
# Needs curl, and about 800 MB in $TMPDIR (default /tmp); removes its data at the end.
set -euo pipefail
source "$(dirname "$0")/best_of_rounds.sh"
build=$(cd "${1:-$(dirname "$0")/../build}" && pwd)
rounds=${2:-7}
size=$((256 * 1024 * 1024))
probe=$build/bin/fetch_probe
server=$build/bin/fetch_server
for program in "$probe" "$server"; do
    [ -x "$program" ] || { echo "missing $program: build the tree first" >&2; exit 1; }
done
command -v curl > /dev/null || { echo "curl is not installed (Debian package curl)" >&2; exit 1; }

data=$(mktemp -d "${TMPDIR:-/tmp}/vexo-fetch-bench.XXXXXX")
server_pid=
cleanup() {
    [ -n "$server_pid" ] && kill "$server_pid" 2> /dev/null
    rm -rf "$data"
}
trap cleanup EXIT
head -c "$size" /dev/urandom > "$data/source.bin"
cat "$data/source.bin" > /dev/null # into the page cache

coproc SERVER { exec "$server" "$data/source.bin"; }
server_pid=$SERVER_PID
read -r port <&"${SERVER[0]}"
url=http://127.0.0.1:$port/source.bin
out=$data/fetched.bin

# Proxies from the environment would take the loopback traffic elsewhere.
export no_proxy='*' NO_PROXY='*'
run_program() { "$probe" "$url" "$out" > /dev/null; }
run_curl() { curl --silent --show-error --fail -o "$out" "$url"; }
# The program's fetch puts the file on the disk before it calls it fetched.
run_curl_flushed() { run_curl && sync --data "$out"; }

fetched_whole() { cmp -s "$out" "$data/source.bin"; }
best_of_rounds "$rounds" "$out" fetched_whole program curl curl_flushed

awk -v bytes="$size" -v rounds="$rounds" -v pw="${best_wall[program]}" -v cw="${best_wall[curl]}" \
    -v pc="${best_cpu[program]}" -v cc="${best_cpu[curl]}" -v fw="${best_wall[curl_flushed]}" \
    -v fc="${best_cpu[curl_flushed]}" 'BEGIN {
    printf "256 MiB over HTTP from a loopback server, best of %d rounds each (wall time; CPU time = user + system)\n", rounds
    printf "FetchToFile (pump at most every 10 ms): %6.3f s  %6.0f MiB/s   CPU %6.3f s\n", pw, bytes / pw / 1048576, pc
    printf "curl -o:                                %6.3f s  %6.0f MiB/s   CPU %6.3f s\n", cw, bytes / cw / 1048576, cc
    printf "curl -o, then sync --data:              %6.3f s  %6.0f MiB/s   CPU %6.3f s\n", fw, bytes / fw / 1048576, fc
    printf "FetchToFile / curl throughput: %.2f (goal: at least 0.8); against curl flushing too: %.2f\n", cw / pw, fw / pw
    printf "FetchToFile / curl CPU time:   %.2f (goal: at most 1.3); against curl flushing too: %.2f\n", pc / cc, pc / fc
}'
