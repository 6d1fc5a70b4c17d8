#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# A download killed half way and started again: fetches a 300 MB file from
# vexo-server on loopback with the program's FetchToFile (fetch_probe),
# kills it outright (SIGKILL) once about half the file is in its hidden
# partial file, starts it again, and prints from the server's log the
# bytes the second transfer asked for and sent, and their share of the
# file. The file that arrives must match the source byte for byte.
#   bench/resume_bench.sh [BUILD_DIR] [SIZE_MB]
# Needs about 3 x SIZE_MB in $TMPDIR (default /tmp); removes its data at the end.
set -euo pipefail
build=$(cd "${1:-$(dirname "$0")/../build}" && pwd)
size_mb=${2:-300}
probe=$build/bin/fetch_probe
server=$build/bin/vexo-server
for program in "$probe" "$server"; do
    [ -x "$program" ] || { echo "missing $program: build the tree first" >&2; exit 1; }
done
source "$(dirname "$0")/../tests/support/vexo_server.sh"

data=$(mktemp -d "${TMPDIR:-/tmp}/vexo-resume-bench.XXXXXX")
server_pid=
probe_pid=
cleanup() {
    [ -n "$probe_pid" ] && kill -KILL "$probe_pid" 2> /dev/null
    [ -n "$server_pid" ] && kill "$server_pid" 2> /dev/null
    rm -rf "$data"
}
trap cleanup EXIT
mkdir "$data/account" "$data/inbox"
size=$((size_mb * 1000 * 1000))
head -c "$size" /dev/urandom > "$data/account/big.bin"
start_vexo_server "$server" "$data/account" "$data/server.log"

# The address the listing gives for the file.
exec 3<> "/dev/tcp/127.0.0.1/$tcp_port"
printf 'test:demo:is_files\n\r\n' >&3
url=$(sed -n 3p <&3)
exec 3<&-
export no_proxy='*' NO_PROXY='*'
partial=$data/inbox/.vexorama-partial-big.bin
out=$data/inbox/big.bin

setpriv --pdeathsig KILL "$probe" "$url" "$out" > /dev/null 2>&1 &
probe_pid=$!
while :; do
    have=$(stat -c %s "$partial" 2> /dev/null || echo 0)
    [ "$have" -ge $((size / 2)) ] && break
    kill -0 "$probe_pid" 2> /dev/null || { echo "the first transfer ended before half the file" >&2; exit 1; }
    sleep 0.005
done
kill -KILL "$probe_pid"
wait "$probe_pid" 2> /dev/null || true
probe_pid=
kept=$(stat -c %s "$partial")

"$probe" "$url" "$out" > /dev/null
cmp -s "$out" "$data/account/big.bin" || { echo "the file that arrived differs from the source" >&2; exit 1; }
sleep 0.2 # the server's access line follows its answer
line=$(grep "http GET /files/.* 206 " "$data/server.log" | tail -n 1)
[ -n "$line" ] || { echo "the second transfer asked for no part:" >&2; cat "$data/server.log" >&2; exit 1; }
sent=$(sed -n 's/.* 206 \([0-9]*\) bytes.*/\1/p' <<< "$line")
echo "file: $size bytes; kept when killed: $kept bytes"
echo "server log: ${line#* * }"
awk -v sent="$sent" -v size="$size" 'BEGIN {
    printf "second transfer: %d bytes asked for and sent, %.3f of the file\n", sent, sent / size }'
