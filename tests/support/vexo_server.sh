# SPDX-License-Identifier: GPL-3.0-or-later
# Sourced by the script tests: starts the substitute service on loopback.

# Starts SERVER (vexo-server) on ports of its own choosing, serving FOLDER
# and logging to LOG, and sets server_pid, tcp_port and http_port; the
# caller stops it; should the test be killed first, the server dies with
# it. Exits the test when no ports show in the log.
start_vexo_server() {
    local server=$1 folder=$2 log=$3
    setpriv --pdeathsig KILL "$server" --folder "$folder" --tcp-port 0 --http-port 0 > "$log" 2>&1 < /dev/null &
    server_pid=$!
    for _ in $(seq 100); do
        grep -q "listing on" "$log" && break
        sleep 0.1
    done
    # The first line: "2026-12-08 21:03:04.123 listing on ADDR:PORT, web
    # site on ADDR:PORT, ...", after its time stamp.
    tcp_port=$(sed -n 's/^[0-9-]* [0-9:.]* listing on [^:]*:\([0-9]*\),.*/\1/p' "$log")
    http_port=$(sed -n 's/^[0-9-]* [0-9:.]* listing on .*, web site on [^:]*:\([0-9]*\),.*/\1/p' "$log")
    [ -n "$tcp_port" ] && [ -n "$http_port" ] || { echo "no ports in the server's log:" >&2; cat "$log" >&2; exit 1; }
}
