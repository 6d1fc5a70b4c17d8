#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the logic's suites (the libraries that link no Qt, and their
# tests) under AddressSanitizer and UndefinedBehaviorSanitizer in
# build-sanitize/ (-DVEXO_SANITIZE=ON, see cmake/sanitizers.cmake) and runs
# them. A memory fault or undefined behaviour fails the test that meets it.
# Extra arguments go to ctest.
#   scripts/sanitize.sh [CTEST ARGUMENTS]
set -euo pipefail
source "$(dirname "$0")/setup.sh"

suites=(base_tests joiner_tests decoder_tests encode_tool_tests downloader_tests web_pages_tests server_tests
    window_handlers_tests)
sanitize_build=${VEXO_SANITIZE_BUILD:-$VEXO_ROOT/build-sanitize}

vexo_install "${VEXO_BUILD_PACKAGES[@]}"
# Unoptimised, with assert() on: optimising the instrumented code takes
# three times as long as compiling it, and the suites run in about a minute
# either way.
cmake -S "$VEXO_ROOT" -B "$sanitize_build" -DCMAKE_BUILD_TYPE=Debug -DVEXO_SANITIZE=ON "${VEXO_CI_QUICK[@]}"
cmake --build "$sanitize_build" -j"$(nproc)" "${suites[@]/#/--target=}"
cd "$sanitize_build"
# Only the logic is built here: a suite that came to link Qt belongs elsewhere.
for suite in "${suites[@]}"; do
    if ldd "bin/$suite" | grep -q 'libQt'; then
        echo "FAILED: $suite links Qt; the sanitized build holds the logic's suites alone" >&2
        exit 1
    fi
done
labels="^($(IFS='|'; echo "${suites[*]}"))\$"
# Two suites at a time per core: many wait on a peer or a timer.
UBSAN_OPTIONS=print_stacktrace=1 ctest --output-on-failure --no-tests=error -j"$((2 * $(nproc)))" -L "$labels" "$@"
