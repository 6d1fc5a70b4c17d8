#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs clang-tidy with the checks of .clang-tidy in build-tidy/ (a build
# configured for its compile commands). By default it checks the logic's
# program sources, the folders that link no Qt, which fit in CI's time;
# --all checks every source of the tree, Qt's and the tests' too, and takes
# several times as long. Any finding fails the run.
#   scripts/tidy.sh [--all]
set -euo pipefail
source "$(dirname "$0")/setup.sh"

tidy_build=${VEXO_TIDY_BUILD:-$VEXO_ROOT/build-tidy}
# Regular expressions on the paths of the compile commands.
files=("^$VEXO_ROOT/(base|joiner|decoder|downloader|server|web|window_handlers)/[^/]+\.cpp\$")
if [ "${1:-}" = "--all" ]; then
    files=("^$VEXO_ROOT/(base|joiner|decoder|downloader|server|web|window_handlers|app|tests|bench)/")
fi

vexo_install "${VEXO_BUILD_PACKAGES[@]}" clang-tidy
cmake -S "$VEXO_ROOT" -B "$tidy_build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_EXPORT_COMPILE_COMMANDS=ON
if [ "${1:-}" = "--all" ]; then
    # The Qt sources include what moc generates.
    cmake --build "$tidy_build" -j"$(nproc)" --target vexo_app_autogen vexorama_web_autogen desktop_bus_fake_autogen
fi
if ! run-clang-tidy-14 -j"$(nproc)" -quiet -p "$tidy_build" "${files[@]}"; then
    echo "FAILED: clang-tidy has findings (see above); .clang-tidy lists the checks" >&2
    exit 1
fi
echo "clang-tidy: no findings"
