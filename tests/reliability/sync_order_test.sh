#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Traces the system calls of an unattended run (decode, join, "/d") and of
# the downloader's tasks, and checks their order: every deletion of a
# container or a part, and every removal request for a fetched file, comes
# after the output that holds its bytes was flushed to the disk (fdatasync)
# and, where that output got its name, after its folder was flushed too.
#   sync_order_test.sh BUILD_DIR
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/../support/skip_or_fail.sh"
source "$(dirname "$0")/../support/vexo_server.sh"
build=$(cd "$1" && pwd)
# A developer without strace skips the test; under CI it fails.
command -v strace > /dev/null || skip_or_fail "strace is not installed"
strace -qq -o /dev/null true 2> /dev/null || skip_or_fail "strace may not trace here (ptrace refused)"
binary=$build/bin/vexorama
encode=$build/bin/vexo-encode
probe=$build/bin/fetch_order_probe
server=$build/bin/vexo-server
for tool in "$binary" "$encode" "$probe" "$server"; do
    [ -x "$tool" ] || { echo "missing $tool: build the tree first" >&2; exit 1; }
done

work=$(mktemp -d "${TMPDIR:-/tmp}/vexo-order.XXXXXX")
work=$(cd "$work" && pwd -P)
server_pid=
cleanup() {
    [ -n "$server_pid" ] && kill "$server_pid" 2> /dev/null && wait "$server_pid" 2> /dev/null
    rm -rf "$work"
}
trap cleanup EXIT

trace() {
    local log=$1
    shift
    strace -f -qq -y -s 0 -o "$log" \
        -e trace=write,pwrite64,copy_file_range,fsync,fdatasync,link,linkat,rename,renameat,renameat2,unlink,unlinkat,access,openat \
        "$@"
}

# Reads a trace and checks the order. Variables: decoded ("container=output
# ..."), joined (the output of the parts), parts (a pattern of part names),
# removals (how many removal requests to expect; 0 for none).
check_order() {
    awk -v decoded="$2" -v joined="$3" -v parts="$4" -v removals="$5" '
    function folder(path) { sub(/\/[^\/]*$/, "", path); return path }
    function quoted(text, n,    i, s) {
        s = text
        for (i = 1; i <= n; i++) {
            if (!match(s, /"[^"]*"/)) return ""
            if (i == n) return substr(s, RSTART + 1, RLENGTH - 2)
            s = substr(s, RSTART + RLENGTH)
        }
    }
    function fdpath(text) {
        if (!match(text, /\(-?[0-9]+</)) return ""
        text = substr(text, RSTART + RLENGTH)
        return substr(text, 1, index(text, ">") - 1)
    }
    # The target of a copy in the kernel: its third argument.
    function copytarget(text) { sub(/^[^,]*, [^,]*, /, "", text); return fdpath("(" text) }
    function bad(message) { print "order broken: " message > "/dev/stderr"; failures++ }
    BEGIN {
        n = split(decoded, pairs, " ")
        for (i = 1; i <= n; i++) { split(pairs[i], kv, "="); outputOf[kv[1]] = kv[2] }
    }
    {
        pid = $1
        line = $0
        sub(/^[0-9]+ +/, "", line)
        if (line ~ /<unfinished \.\.\.>$/) { sub(/ <unfinished \.\.\.>$/, "", line); pending[pid] = line; next }
        if (line ~ /^<\.\.\. [a-z0-9_]+ resumed>/) { sub(/^<\.\.\. [a-z0-9_]+ resumed>/, "", line); line = pending[pid] line }
        ok = line ~ /\) = [0-9]+$/
        if (line ~ /^p?write(64)?\(/ && ok) { state[fdpath(line)] = "dirty" }
        else if (line ~ /^copy_file_range\(/ && ok) { state[copytarget(line)] = "dirty"; kernelCopies++ }
        else if (line ~ /^f(data)?sync\(/ && ok) { p = fdpath(line); state[p] = "synced"; folderSynced[p] = 1 }
        else if (line ~ /^openat\(/ && line ~ /O_TMPFILE/ && match(line, /\) = [0-9]+</)) {
            # A file without a name: known by its descriptor until linked.
            fd = substr(line, RSTART + 4, RLENGTH - 5)
            unnamed[fd] = substr(line, RSTART + RLENGTH)
            unnamed[fd] = substr(unnamed[fd], 1, index(unnamed[fd], ">") - 1)
        }
        else if (line ~ /^(link|rename)(at2?)?\(/ && ok) {
            from = quoted(line, 1); to = quoted(line, 2)
            if (from ~ /^\/proc\/self\/fd\/[0-9]+$/) { sub(/^\/proc\/self\/fd\//, "", from); from = unnamed[from] }
            state[to] = state[from]; folderSynced[folder(to)] = 0; lastPlaced = to; placements++
        }
        else if (line ~ /^openat\(/ && line ~ /O_CREAT/ && ok) { p = quoted(line, 1); if (p == joined) folderSynced[folder(p)] = 0 }
        else if (line ~ /^unlink(at)?\(/ && ok) {
            p = quoted(line, 1); name = p; sub(/^.*\//, "", name)
            if (name in outputOf) {
                deletions++
                out = folder(p) "/" outputOf[name]
                if (state[out] != "synced") bad(name " deleted before " out " was flushed")
                if (!folderSynced[folder(out)]) bad(name " deleted before the folder of " out " was flushed")
            } else if (parts != "" && name ~ parts) {
                deletions++
                if (state[joined] != "synced") bad(name " deleted before " joined " was flushed")
                if (!folderSynced[folder(joined)]) bad(name " deleted before the folder of " joined " was flushed")
            }
        }
        else if (line ~ /^access\("\/vexo-removal-request\//) {
            requests++
            if (lastPlaced == "" || requested[lastPlaced]) bad("a removal request without a newly fetched file")
            else {
                if (state[lastPlaced] != "synced") bad("removal requested before " lastPlaced " was flushed")
                if (!folderSynced[folder(lastPlaced)]) bad("removal requested before the folder of " lastPlaced " was flushed")
                requested[lastPlaced] = 1
            }
        }
    }
    END {
        if (removals == 0 && deletions == 0) bad("the trace holds no deletion to check")
        if (removals > 0 && requests != removals) bad(requests " removal requests, " removals " expected")
        printf "%d deletions and %d removal requests checked, %d files put in place, %d copies in the kernel\n", deletions, requests, placements, kernelCopies
        exit failures > 0
    }' "$1"
}

# An unattended run: three containers decoded and deleted (the one with the
# key 0 copied in the kernel, as the parts are), four parts joined and
# deleted.
export QT_QPA_PLATFORM=offscreen
mkdir -p "$work/program" "$work/data" "$work/originals"
cp "$binary" "$work/program/vexorama"
head -c 500000 /dev/urandom > "$work/originals/one.bin"
head -c 70000 /dev/urandom > "$work/originals/two.bin"
"$encode" --key 11 --leading 100 "$work/originals/one.bin" "$work/data/first.avi" > /dev/null
"$encode" --key 200 --leading 0 "$work/originals/two.bin" "$work/data/second.jpg" > /dev/null
head -c 400000 /dev/urandom > "$work/originals/three.bin"
"$encode" --key 0 --leading 33 "$work/originals/three.bin" "$work/data/third.avi" > /dev/null
head -c 300000 /dev/urandom > "$work/originals/film.mkv"
(cd "$work/data" && split -b 80000 "$work/originals/film.mkv" film.mkv.)
trace "$work/decode.trace" "$work/program/vexorama" /a /d "$work/data"
cmp "$work/data/one.bin" "$work/originals/one.bin"
cmp "$work/data/two.bin" "$work/originals/two.bin"
cmp "$work/data/three.bin" "$work/originals/three.bin"
cmp "$work/data/film.mkv" "$work/originals/film.mkv"
check_order "$work/decode.trace" "first.avi=one.bin second.jpg=two.bin third.avi=three.bin" "$work/data/film.mkv" '^film\.mkv\.a[a-z]$' 0

# The downloader's tasks against the substitute service: three files,
# each fetched and then asked to be removed.
mkdir -p "$work/served" "$work/inbox"
for name in a.bin b.bin c.bin; do
    head -c 200000 /dev/urandom > "$work/served/$name"
done
start_vexo_server "$server" "$work/served" "$work/server.log"
trace "$work/fetch.trace" "$probe" "127.0.0.1:$http_port" "$tcp_port" "$work/inbox" "$work/probe.INI"
for name in a.bin b.bin c.bin; do
    cmp "$work/inbox/$name" "$work/served/$name"
done
check_order "$work/fetch.trace" "" "" "" 3
