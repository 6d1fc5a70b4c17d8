#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs clang-tidy with the checks of .clang-tidy in build-tidy/ (a build
# configured for its compile commands). By default it checks the logic's
# program sources, the folders that link no Qt; --window, which CI runs,
# checks the window's too (app/, web/views/, web/engine/: each of those
# sources parses most of Qt, and they take more than the logic's all
# together); --all checks the tests' and the benchmarks' as well, and
# takes several times as long. Any finding fails the run.
#   scripts/tidy.sh [--window | --all]
set -euo pipefail
source "$(dirname "$0")/setup.sh"

tidy_build=${VEXO_TIDY_BUILD:-$VEXO_ROOT/build-tidy}
# Regular expressions on the paths of the compile commands.
files=("^$VEXO_ROOT/(base|joiner|decoder|downloader|server|web|window_handlers)/[^/]+\.cpp\$")
unity=OFF
unity_files=()
case "${1:-}" in
--window)
    # The window's library is read as one translation unit: each of its
    # sources would read most of Qt again.
    unity=ON
    files=("^$VEXO_ROOT/(base|joiner|decoder|downloader|server|web|web/views|web/engine|window_handlers|app)/[^/]+\.cpp\$")
    unity_files=("^$tidy_build/app/CMakeFiles/vexo_app\.dir/Unity/[^/]+\.cxx\$")
    ;;
--all) files=("^$VEXO_ROOT/(base|joiner|decoder|downloader|server|web|window_handlers|app|tests|bench)/") ;;
esac

vexo_install "${VEXO_BUILD_PACKAGES[@]}" clang-tidy
cmake -S "$VEXO_ROOT" -B "$tidy_build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_EXPORT_COMPILE_COMMANDS=ON \
    -DVEXO_TIDY_UNITY="$unity" -G "Unix Makefiles"
# The Qt sources include what moc generates. The targets' /fast rules run
# moc alone: the plain targets would compile every library the sources'
# targets link first, which clang-tidy never reads.
autogen=(vexo_app_autogen vexorama_web_autogen)
[ "${1:-}" = "--all" ] && autogen+=(desktop_bus_fake_autogen)
autogen=("${autogen[@]/%//fast}")
cmake --build "$tidy_build" -j"$(nproc)" "${autogen[@]/#/--target=}"
# The checks' header filter, with the sources a translation unit of several
# includes.
headers='/(base|joiner|decoder|downloader|web|server|window_handlers|app|tests|bench)/[^/]+(/[^/]+)?\.(h|cpp)$'
tidy() {
    run-clang-tidy-14 -j"$(nproc)" -quiet -header-filter="$headers" -p "$tidy_build" "$@"
}
status=0
tidy "${files[@]}" || status=1
# The one translation unit includes the sources: that is what it is for.
if [ ${#unity_files[@]} -gt 0 ]; then
    tidy -checks=-bugprone-suspicious-include "${unity_files[@]}" || status=1
fi
if [ "$status" -ne 0 ]; then
    echo "FAILED: clang-tidy has findings (see above); .clang-tidy lists the checks" >&2
    exit 1
fi
echo "clang-tidy: no findings"
