# SPDX-License-Identifier: GPL-3.0-or-later
# Sourced by the script tests: what a test does when a tool, a display or a
# device it needs is missing.

# Says REASON and skips the test (77), or, under CI (CI set and not empty),
# fails it (1): CI has installed everything, so a missing part there is a
# broken machine, not a test to leave out.
skip_or_fail() {
    if [ -n "${CI:-}" ]; then
        echo "FAILED under CI: $1" >&2
        exit 1
    fi
    echo "SKIPPED: $1"
    exit 77
}
