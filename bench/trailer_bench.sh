#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The false recognition rate of the trailer check: how many plain files with
# random-looking tails, of 3 MiB and of 16 MiB, would be taken for encoded
# ones, over TAILS random tails (default ten million, at least a million). With OLD_SOURCE, the
# same probe is built against that source tree (an earlier commit checked
# out, say) in a build folder of its own under $TMPDIR, and both rates are
# printed, from the same tails.
#   bench/trailer_bench.sh [BUILD_DIR] [TAILS] [OLD_SOURCE]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "${1:-$here/../build}" && pwd)
tails=${2:-10000000}
old_source=${3:-}
sizes=(3145728 16777216)
probe=$build/bin/trailer_probe
[ -x "$probe" ] || { echo "missing $probe: build the tree first (target trailer_probe)" >&2; exit 1; }
[ "$tails" -ge 1000000 ] || echo "note: under a million tails the rates are rough" >&2

if [ -n "$old_source" ]; then
    old_source=$(cd "$old_source" && pwd)
    old_build=$(mktemp -d "${TMPDIR:-/tmp}/vexo-trailer-bench.XXXXXX")
    trap 'rm -rf "$old_build"' EXIT
    launcher=()
    command -v ccache > /dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
    cmake -S "$old_source" -B "$old_build" -DCMAKE_BUILD_TYPE=RelWithDebInfo "${launcher[@]}" > "$old_build/configure.log"
    cmake --build "$old_build" -j2 --target vexo_decoder > "$old_build/build.log"
    # The old tree has no probe of its own: this one, on its decoder.
    libs=()
    for lib in decoder/libvexo_decoder.a joiner/libvexo_joiner.a base/libvexo_base.a; do
        [ -f "$old_build/$lib" ] && libs+=("$old_build/$lib")
    done
    g++ -std=c++20 -O2 -I"$old_source" -I"$old_build" "$here/trailer_probe.cpp" "${libs[@]}" -o "$old_build/trailer_probe"
    echo "before ($old_source):"
    "$old_build/trailer_probe" "$tails" "${sizes[@]}"
    echo "after ($build):"
fi
"$probe" "$tails" "${sizes[@]}"
