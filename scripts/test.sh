#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs what is missing, builds, and runs every test.
set -euo pipefail
source "$(dirname "$0")/setup.sh"

vexo_install "${VEXO_BUILD_PACKAGES[@]}" "${VEXO_TEST_PACKAGES[@]}"
vexo_build
cd "$VEXO_BUILD"
# Window tests run offscreen; those that need a real display get Xvfb.
# xvfb-run, its Xvfb and the tests form a process group of their own, which
# an interrupted run ends whole instead of leaving a display behind.
# Most tests wait on a peer, a timer or the display rather than on the
# processor: two at a time per core.
setsid xvfb-run -a -s "-screen 0 1280x1024x24" ctest --output-on-failure -j"$((2 * $(nproc)))" "$@" &
run=$!
trap 'kill -TERM -- -"$run" 2>/dev/null' INT TERM HUP
wait "$run"
