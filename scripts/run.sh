#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs what is missing, builds, starts the local substitute service with
# demo files, and starts Vexorama. On the first run (no settings file yet)
# the program's settings are pointed at the local service.
set -euo pipefail
source "$(dirname "$0")/setup.sh"

vexo_install "${VEXO_BUILD_PACKAGES[@]}"
# The program, its web module and the substitute service; not the tests.
vexo_build vexo_demo

demo=$VEXO_BUILD/demo
mkdir -p "$demo/server" "$demo/inbox"

settings=$VEXO_BUILD/bin/vexorama.INI
if [ ! -e "$settings" ]; then
    cat >"$settings" <<INI
[Prog]
Folder=$demo/inbox
[Server]
Name=127.0.0.1:8080
Port=6677
Login=test
Passwd=demo
RemMode=2
Refresh=1
INI
    echo "Settings written to $settings (downloads go to $demo/inbox)"
fi

# The substitute service: listing on TCP 6677, site and downloads on HTTP 8080.
"$VEXO_BUILD/bin/vexo-server" --folder "$demo/server" --demo >"$demo/server.log" 2>&1 &
server=$!
trap 'kill "$server" 2>/dev/null || true; wait "$server" 2>/dev/null || true' EXIT
sleep 0.5
if ! kill -0 "$server" 2>/dev/null; then
    echo "The demo service did not start (see $demo/server.log); Vexorama starts without it." >&2
fi

"$VEXO_BUILD/bin/vexorama" "$@"
