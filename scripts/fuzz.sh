#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs clang if missing, builds the fuzz targets in build-fuzz/ (the
# whole build instrumented, see cmake/fuzzing.cmake) and runs them side by
# side for the given number of seconds (default 30). A finding fails the
# run and leaves the input that caused it in build-fuzz/.
#   scripts/fuzz.sh [SECONDS]
set -euo pipefail
source "$(dirname "$0")/setup.sh"

seconds=${1:-30}
targets=(trailer_fuzz server_answer_fuzz)
fuzz_build=${VEXO_FUZZ_BUILD:-$VEXO_ROOT/build-fuzz}

vexo_install "${VEXO_BUILD_PACKAGES[@]}" clang libclang-rt-14-dev
CC=clang CXX=clang++ cmake -S "$VEXO_ROOT" -B "$fuzz_build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVEXO_BUILD_FUZZERS=ON "${VEXO_CI_QUICK[@]}"
cmake --build "$fuzz_build" -j"$(nproc)" "${targets[@]/#/--target=}"
cd "$fuzz_build"
# The targets run side by side, a core each.
pids=()
for target in "${targets[@]}"; do
    "bin/$target" -max_total_time="$seconds" -artifact_prefix="$fuzz_build/$target-" >"$fuzz_build/$target.log" 2>&1 &
    pids+=($!)
done
failed=0
for i in "${!targets[@]}"; do
    target=${targets[$i]}
    log=$fuzz_build/$target.log
    if ! wait "${pids[$i]}"; then
        tail -n 40 "$log" >&2
        echo "FAILED: $target found a fault; the input that caused it is in $fuzz_build" >&2
        failed=1
        continue
    fi
    echo "$target: $(grep -E '^Done [0-9]+ runs' "$log")"
done
exit "$failed"
